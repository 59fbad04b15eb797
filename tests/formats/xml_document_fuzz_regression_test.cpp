// Inputs that once made the fuzz target fail, replayed through the same checks.
#include <gtest/gtest.h>

#include <string>

#include "tests/fuzz/xml_document_fuzz_case.h"

namespace {

struct FuzzRegression {
    const char* what;
    std::string input;
};

TEST(XmlDocumentFuzzRegressionTest, OnceFailingInputsPassEveryCheck) {
    const FuzzRegression cases[] = {
        // The text ends inside a document type whose quote stays open (the NUL ends the text); elements
        // appended at the end went into that quote, so a fresh parse did not see them.
        {"addition at the end of a text that ends inside a node",
         std::string(
             "\x0A<!DOCTYPE a [ <!ENTITY x \"y>\x01\x00\x00p\"> <!-- > --> "
             "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"
             "\xFF"
             "<?p > ?> ]><a b=c/><t>x &lt; y &#65;&#x42;&bogus;<![CDATA[<b>]]></t><u><v></u></a ><w></x>",
             161)},
    };
    for (const FuzzRegression& c : cases) {
        EXPECT_EQ(CheckXmlDocumentFuzzCase(reinterpret_cast<const uint8_t*>(c.input.data()), c.input.size()),
                  "")
            << c.what;
    }
}

}  // namespace
