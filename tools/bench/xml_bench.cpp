// Speed of CXmlDocument beside pugixml on the same generated documents (about 1 MB and 20 MB of UTF-8):
// conversion to UTF-16, parsing, navigating every item, and runs of AddElement of growing length. Prints a
// Markdown table; build in Release mode for figures worth quoting. Fresh memory costs a page fault per page
// on first touch, and glibc hands large freed blocks back to the system; run it also with
// GLIBC_TUNABLES=glibc.malloc.trim_threshold=4294967295:glibc.malloc.mmap_threshold=33554432 to see the
// parsers' own work apart from that cost.
//
//   xml_bench [--quick]      (--quick: fewer repetitions and shorter runs, for a smoke test)
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "formats/xml_document.h"

namespace {

// The best of `runs` timings of `work`, in milliseconds of processor time of this (single-threaded) process:
// the machine is shared, and wall time would count the waits for a processor too.
double BestMs(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        std::clock_t start = std::clock();
        work();
        times.push_back(double(std::clock() - start) * 1000.0 / CLOCKS_PER_SEC);
    }
    return *std::min_element(times.begin(), times.end());
}

// A configuration-like document: groups of items with attributes, escaped and non-ASCII text, comments,
// CDATA and a few nested children; stops after the group that passes `target_bytes`.
std::string MakeDocument(size_t target_bytes, int& items) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Catalog version=\"3\">\n";
    items = 0;
    for (int group = 0; xml.size() < target_bytes; ++group) {
        xml += "  <Group name=\"g" + std::to_string(group) + "\" kind=\"standard\">\n";
        xml += "    <!-- group " + std::to_string(group) + " -->\n";
        for (int i = 0; i < 40; ++i, ++items) {
            std::string id = std::to_string(items);
            if (i % 10 == 9) {
                xml +=
                    "    <Item id=\"" + id + "\" name=\"Item " + id + "\"><Sub>a</Sub><Sub>b</Sub></Item>\n";
            } else {
                xml += "    <Item id=\"" + id + "\" name=\"Item " + id + "\" flag=\"1\">Value " + id +
                       " &amp; more text \xC3\xA4\xE4\xB8\xAD</Item>\n";
            }
        }
        xml += "    <Data><![CDATA[raw <data> " + std::to_string(group) + "]]></Data>\n  </Group>\n";
    }
    xml += "</Catalog>\n";
    return xml;
}

struct Totals {
    long items = 0;
    long characters = 0;  // attribute and text lengths, so the reads cannot be optimised away
};

Totals NavigateOurs(CXmlDocument& document) {
    Totals totals;
    document.ResetPosition();
    if (!document.FindElement(u"Catalog") || !document.EnterElement()) return totals;
    while (document.FindElement(u"Group")) {
        document.EnterElement();
        while (document.FindElement(u"Item")) {
            ++totals.items;
            totals.characters += long(document.GetAttribute(u"id").size() + document.GetElementText().size());
        }
        document.LeaveElement();
    }
    return totals;
}

Totals NavigatePugi(const pugi::xml_document& document) {
    Totals totals;
    for (pugi::xml_node group : document.child("Catalog").children("Group")) {
        for (pugi::xml_node item : group.children("Item")) {
            ++totals.items;
            totals.characters +=
                long(std::strlen(item.attribute("id").value()) + std::strlen(item.child_value()));
        }
    }
    return totals;
}

void ParseAndNavigate(const char* label, size_t target_bytes, int runs) {
    int items = 0;
    const std::string xml = MakeDocument(target_bytes, items);
    const double megabytes = double(xml.size()) / (1024 * 1024);

    std::u16string text;
    const double convert_ms = BestMs(runs, [&] {
        int units = CXmlDocument::Utf8ToUtf16(xml.data(), int(xml.size()));
        text.reserve(size_t(units));
        CXmlDocument::Utf8ToUtf16(xml.data(), int(xml.size()), &text);
    });
    CXmlDocument ours;
    const double parse_ms = BestMs(runs, [&] { ours.SetDocumentText(text); });
    Totals ours_totals;
    const double navigate_ms = BestMs(runs, [&] { ours_totals = NavigateOurs(ours); });

    pugi::xml_document pugi_document;
    const double pugi_parse_ms = BestMs(runs, [&] { pugi_document.load_buffer(xml.data(), xml.size()); });
    Totals pugi_totals;
    const double pugi_navigate_ms = BestMs(runs, [&] { pugi_totals = NavigatePugi(pugi_document); });

    if (ours_totals.items != items || pugi_totals.items != items || !ours.GetResultText().empty()) {
        std::fprintf(stderr, "xml_bench: the documents were not read alike (%ld, %ld of %d items)\n",
                     ours_totals.items, pugi_totals.items, items);
    }
    std::printf("| %s (%.2f MB, %d items) | %.2f | %.2f | %.2f | %.1f | %.2f | %.2f | %.1f |\n", label,
                megabytes, items, convert_ms, parse_ms, navigate_ms,
                megabytes * 1000 / (convert_ms + parse_ms), pugi_parse_ms, pugi_navigate_ms,
                megabytes * 1000 / pugi_parse_ms);
}

// `count` AddElement calls appended one after another inside the root, as a run configuration is written.
void AddElementRun(int count, int runs) {
    const double ours_ms = BestMs(runs, [&] {
        CXmlDocument document(u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<config>\r\n</config>\r\n");
        document.FindElement(u"config");
        document.EnterElement();
        for (int i = 0; i < count; ++i) document.AddElement(u"Item", u"value & more");
    });
    const double pugi_ms = BestMs(runs, [&] {
        pugi::xml_document document;
        pugi::xml_node config = document.append_child("config");
        for (int i = 0; i < count; ++i) config.append_child("Item").text().set("value & more");
    });
    std::printf("| append %d | %.2f | %.0f | %.2f | %.0f |\n", count, ours_ms, ours_ms * 1e6 / count, pugi_ms,
                pugi_ms * 1e6 / count);
}

// `count` AddElement calls right after the first item of a large document: each moves the text after it and
// shifts the elements that follow, so the cost per call grows with what follows the insertion point.
void InsertAtFrontRun(size_t target_bytes, int count) {
    int items = 0;
    const std::string xml = MakeDocument(target_bytes, items);
    std::u16string text;
    CXmlDocument::Utf8ToUtf16(xml.data(), int(xml.size()), &text);
    CXmlDocument document(text);
    const double ms = BestMs(1, [&] {
        for (int i = 0; i < count; ++i) {
            document.ResetPosition();
            document.FindElement(u"Catalog");
            document.EnterElement();
            document.FindElement(u"Group");
            document.EnterElement();
            document.FindElement(u"Item");
            document.AddElement(u"Item", u"inserted");
        }
    });
    std::printf("| insert %d after the first item of %.2f MB | %.2f | %.0f | | |\n", count,
                double(xml.size()) / (1024 * 1024), ms, ms * 1e6 / count);
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    std::printf("Parse and navigate (processor milliseconds, best of %d runs; MB/s over convert + parse)\n\n",
                quick ? 3 : 15);
    std::printf(
        "| document | ours: UTF-8 to UTF-16 | ours: parse | ours: navigate | ours: MB/s | "
        "pugixml: parse | pugixml: navigate | pugixml: MB/s |\n");
    std::printf("|---|---|---|---|---|---|---|---|\n");
    ParseAndNavigate("1 MB", 1 << 20, quick ? 3 : 15);
    if (!quick) ParseAndNavigate("5 MB", 5 << 20, 9);
    if (!quick) ParseAndNavigate("10 MB", 10 << 20, 9);
    ParseAndNavigate("20 MB", 20 << 20, quick ? 3 : 7);

    std::printf(
        "\nAddElement runs (processor milliseconds in total, best of %d runs; nanoseconds per call)\n\n",
        quick ? 1 : 5);
    std::printf("| run | ours: ms | ours: ns/call | pugixml: ms | pugixml: ns/call |\n");
    std::printf("|---|---|---|---|---|\n");
    for (int count : {10000, 100000, 1000000}) {
        if (quick && count > 100000) break;
        AddElementRun(count, quick ? 1 : 5);
    }
    InsertAtFrontRun(1 << 20, quick ? 200 : 2000);
    return 0;
}
