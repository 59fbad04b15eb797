#include "formats/json_value.h"

#include "formats/json_string.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <new>
#include <nlohmann/json.hpp>
#include <utility>
#include <vector>

namespace jsonw {

namespace {

using Node = nlohmann::ordered_json;
// The member list of an object node. Parsed duplicates are appended to it directly, because the map's own
// insertion would merge them.
using Members = Node::object_t::Container;

constexpr char kParseError[] = "parse json string error at ";

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameKey(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

Members& MembersOf(Node& object) {
    return object.get_ref<Node::object_t&>();
}

// The first member whose key matches without regard to ASCII case; null when the node is not an object.
Node* FindMember(Node& node, const std::string& key) {
    if (!node.is_object()) return nullptr;
    for (auto& member : MembersOf(node)) {
        if (SameKey(member.first, key)) return &member.second;
    }
    return nullptr;
}

template <typename Integer>
Integer TruncateSaturating(double value) {
    if (std::isnan(value)) return 0;
    if (value <= static_cast<double>(std::numeric_limits<Integer>::min())) {
        return std::numeric_limits<Integer>::min();
    }
    // The maximum of a 64-bit type is not representable as a double; the comparison rounds it up to 2^63.
    if (value >= static_cast<double>(std::numeric_limits<Integer>::max())) {
        return std::numeric_limits<Integer>::max();
    }
    return static_cast<Integer>(value);
}

// Reads an integer member: an integer gives its low bits, a double is truncated.
template <typename Integer>
bool GetInteger(const Node* current, const std::string& key, Integer& value) {
    if (!current) return false;
    const Node* member = FindMember(const_cast<Node&>(*current), key);
    if (!member) return false;
    using Unsigned = std::make_unsigned_t<Integer>;
    switch (member->type()) {
        case Node::value_t::number_integer:
            value = static_cast<Integer>(static_cast<Unsigned>(member->get<int64_t>()));
            return true;
        case Node::value_t::number_unsigned:
            value = static_cast<Integer>(static_cast<Unsigned>(member->get<uint64_t>()));
            return true;
        case Node::value_t::number_float:
            value = TruncateSaturating<Integer>(member->get<double>());
            return true;
        default:
            return false;
    }
}

// Compact form. The depth is bounded by the parser's limit (a copy is always made by parsing), so the
// recursion is too.
void Print(const Node& node, std::string& out) {
    switch (node.type()) {
        case Node::value_t::object: {
            out += '{';
            bool first = true;
            for (const auto& member : node.get_ref<const Node::object_t&>()) {
                if (!first) out += ',';
                first = false;
                AppendJsonString(out, member.first);
                out += ':';
                Print(member.second, out);
            }
            out += '}';
            break;
        }
        case Node::value_t::array: {
            out += '[';
            bool first = true;
            for (const Node& element : node.get_ref<const Node::array_t&>()) {
                if (!first) out += ',';
                first = false;
                Print(element, out);
            }
            out += ']';
            break;
        }
        case Node::value_t::string:
            AppendJsonString(out, node.get_ref<const std::string&>());
            break;
        case Node::value_t::number_integer:
            out += std::to_string(node.get<int64_t>());
            break;
        case Node::value_t::number_unsigned:
            out += std::to_string(node.get<uint64_t>());
            break;
        // Shortest text that reads back as the same double; parsing never lets a non-finite value in.
        case Node::value_t::number_float:
            out += node.dump();
            break;
        case Node::value_t::boolean:
            out += node.get<bool>() ? "true" : "false";
            break;
        default:
            out += "null";
            break;
    }
}

enum class Refusal { kNone, kSyntax, kTooDeep, kNumberRange };

// Builds the tree from the parser's events, keeping duplicate keys and refusing what the parser itself
// accepts but the wrapper cannot hold: nesting beyond the limit and numbers beyond a double's range.
class TreeBuilder {
public:
    using number_integer_t = Node::number_integer_t;
    using number_unsigned_t = Node::number_unsigned_t;
    using number_float_t = Node::number_float_t;
    using string_t = Node::string_t;
    using binary_t = Node::binary_t;

    bool null() { return Put(Node(nullptr)) != nullptr; }
    bool boolean(bool value) { return Put(Node(value)) != nullptr; }
    bool number_integer(number_integer_t value) {
        ++numbers_;
        return Put(Node(value)) != nullptr;
    }
    bool number_unsigned(number_unsigned_t value) {
        ++numbers_;
        return Put(Node(value)) != nullptr;
    }
    bool number_float(number_float_t value, const string_t&) {
        ++numbers_;
        if (!std::isfinite(value)) {
            refusal_ = Refusal::kNumberRange;
            return false;
        }
        return Put(Node(value)) != nullptr;
    }
    bool string(string_t& value) { return Put(Node(std::move(value))) != nullptr; }
    bool binary(binary_t&) { return false; }
    bool key(string_t& value) {
        pending_key_ = std::move(value);
        return true;
    }
    bool start_object(std::size_t) { return Open(Node::object()); }
    bool end_object() { return Close(); }
    bool start_array(std::size_t) { return Open(Node::array()); }
    bool end_array() { return Close(); }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& error) {
        // The parser refuses a number beyond a double's range itself, with the position after the number.
        constexpr int kNumberOverflow = 406;
        if (error.id == kNumberOverflow) {
            refusal_ = Refusal::kNumberRange;
            ++numbers_;
        } else {
            refusal_ = Refusal::kSyntax;
        }
        error_position_ = position;
        return false;
    }

    Node& root() { return root_; }
    Refusal refusal() const { return refusal_; }
    // Number of characters read when the parser gave up (it counts the character it stopped at).
    std::size_t error_position() const { return error_position_; }
    // How many numbers were read, the refused one included.
    std::size_t numbers() const { return numbers_; }

private:
    Node* Put(Node&& value) {
        if (open_.empty()) {
            root_ = std::move(value);
            return &root_;
        }
        Node& container = *open_.back();
        if (container.is_array()) {
            container.get_ref<Node::array_t&>().push_back(std::move(value));
            return &container.get_ref<Node::array_t&>().back();
        }
        Members& members = MembersOf(container);
        members.emplace_back(std::move(pending_key_), std::move(value));
        return &members.back().second;
    }
    bool Open(Node&& container) {
        if (open_.size() >= static_cast<std::size_t>(CJsonValue::kMaxDepth)) {
            refusal_ = Refusal::kTooDeep;
            return false;
        }
        // The containers below the innermost one do not change while it is open, so the pointers hold.
        Node* node = Put(std::move(container));
        open_.push_back(node);
        return true;
    }
    bool Close() {
        open_.pop_back();
        return true;
    }

    Node root_;
    std::vector<Node*> open_;
    std::string pending_key_;
    Refusal refusal_ = Refusal::kNone;
    std::size_t error_position_ = 0;
    std::size_t numbers_ = 0;
};

// Where a refusal of the tree builder happened. Everything before that point was accepted by the parser, so a
// scan that only skips strings and counts brackets and number starts finds it exactly.
std::size_t LocateRefusal(const std::string& text, Refusal refusal, std::size_t numbers) {
    int depth = 0;
    std::size_t seen_numbers = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            for (++i; i < text.size() && text[i] != '"'; ++i) {
                if (text[i] == '\\') ++i;
            }
        } else if (c == '{' || c == '[') {
            if (++depth > CJsonValue::kMaxDepth && refusal == Refusal::kTooDeep) return i;
        } else if (c == '}' || c == ']') {
            --depth;
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            if (++seen_numbers == numbers && refusal == Refusal::kNumberRange) return i;
            while (i + 1 < text.size() &&
                   (text[i + 1] == '-' || text[i + 1] == '+' || text[i + 1] == '.' || text[i + 1] == 'e' ||
                    text[i + 1] == 'E' || (text[i + 1] >= '0' && text[i + 1] <= '9'))) {
                ++i;
            }
        }
    }
    return text.size();
}

}  // namespace

CJsonValue::CJsonValue() = default;

CJsonValue::CJsonValue(const std::string& text) {
    Parse(text);
}

CJsonValue::~CJsonValue() {
    Clear();
}

void CJsonValue::Clear() {
    owned_.reset();
    parent_ = nullptr;
    parent_key_.clear();
    parent_index_ = 0;
    by_index_ = false;
    children_by_key_.clear();
    children_by_index_.clear();
}

bool CJsonValue::Parse(const std::string& text) {
    Clear();
    try {
        TreeBuilder builder;
        if (Node::sax_parse(text, &builder, nlohmann::json::input_format_t::json, true)) {
            owned_ = std::make_unique<Node>(std::move(builder.root()));
            return true;
        }
        std::size_t stop;
        if (builder.refusal() == Refusal::kSyntax) {
            // The parser counts the character it stopped at; at the end of the input there is none.
            stop = builder.error_position() == 0 ? 0 : builder.error_position() - 1;
        } else {
            stop = LocateRefusal(text, builder.refusal(), builder.numbers());
        }
        error_ = kParseError + text.substr(std::min(stop, text.size()));
    } catch (const std::exception&) {
        error_ = kParseError + text;
    }
    return false;
}

CJsonValue::Node* CJsonValue::CurrentNode() const {
    if (owned_) return owned_.get();
    if (!parent_) return nullptr;
    Node* container = parent_->CurrentNode();
    if (!container) return nullptr;
    if (by_index_) {
        if (!container->is_array() || parent_index_ >= container->size()) return nullptr;
        return &container->get_ref<Node::array_t&>()[parent_index_];
    }
    return FindMember(*container, parent_key_);
}

std::string CJsonValue::ToString() const {
    std::string out;
    const Node* current = CurrentNode();
    if (!current) return out;
    try {
        Print(*current, out);
    } catch (const std::exception&) {
        out.clear();
    }
    return out;
}

bool CJsonValue::IsNull(const std::string& key) const {
    Node* current = CurrentNode();
    if (!current) return false;
    const Node* member = FindMember(*current, key);
    return member && member->is_null();
}

bool CJsonValue::Get(const std::string& key, CJsonValue& target) const {
    Node* current = CurrentNode();
    if (!current) return false;
    const Node* member = FindMember(*current, key);
    if (!member) return false;
    std::string text;
    try {
        Print(*member, text);
    } catch (const std::exception&) {
        return false;
    }
    return target.Parse(text);
}

bool CJsonValue::Get(const std::string& key, std::string& value) const {
    Node* current = CurrentNode();
    if (!current) return false;
    const Node* member = FindMember(*current, key);
    if (!member || !member->is_string()) return false;
    try {
        value = member->get_ref<const std::string&>();
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool CJsonValue::Get(const std::string& key, int32_t& value) const {
    return GetInteger(CurrentNode(), key, value);
}

bool CJsonValue::Get(const std::string& key, int64_t& value) const {
    return GetInteger(CurrentNode(), key, value);
}

CJsonValue& CJsonValue::operator[](const std::string& key) {
    auto cached = children_by_key_.find(key);
    if (cached != children_by_key_.end()) return *cached->second;
    auto child = std::make_unique<CJsonValue>();
    Node* current = CurrentNode();
    if (current && FindMember(*current, key)) {
        child->parent_ = this;
        child->parent_key_ = key;
    }
    CJsonValue& result = *child;
    children_by_key_[key] = std::move(child);
    return result;
}

CJsonValue& CJsonValue::operator[](std::size_t index) {
    auto cached = children_by_index_.find(index);
    if (cached != children_by_index_.end()) return *cached->second;
    auto child = std::make_unique<CJsonValue>();
    Node* current = CurrentNode();
    if (current && current->is_array() && index < current->size()) {
        child->parent_ = this;
        child->parent_index_ = index;
        child->by_index_ = true;
    }
    CJsonValue& result = *child;
    children_by_index_[index] = std::move(child);
    return result;
}

CJsonValue::Node* CJsonValue::EnsureObject() {
    Node* current = CurrentNode();
    if (current) return current;
    try {
        owned_ = std::make_unique<Node>(Node::object());
    } catch (const std::exception&) {
        error_ = "json data is null!";
        return nullptr;
    }
    return owned_.get();
}

template <typename Value>
bool CJsonValue::AddMember(const std::string& key, Value&& value) {
    Node* current = EnsureObject();
    if (!current) return false;
    if (!current->is_object()) {
        error_ = "not a json object! json array?";
        return false;
    }
    if (FindMember(*current, key)) {
        error_ = "key exists!";
        return false;
    }
    MembersOf(*current).emplace_back(key, Node(std::forward<Value>(value)));
    return FindMember(*current, key) != nullptr;
}

bool CJsonValue::Add(const std::string& key, const std::string& value) {
    try {
        return AddMember(key, value);
    } catch (const std::exception&) {
        return false;
    }
}

bool CJsonValue::Add(const std::string& key, int32_t value) {
    try {
        return AddMember(key, static_cast<int64_t>(value));
    } catch (const std::exception&) {
        return false;
    }
}

bool CJsonValue::Add(const std::string& key, int64_t value) {
    try {
        return AddMember(key, value);
    } catch (const std::exception&) {
        return false;
    }
}

bool CJsonValue::AddEmptyArray(const std::string& key) {
    try {
        return AddMember(key, Node::array());
    } catch (const std::exception&) {
        error_ = "create sub empty array error!";
        return false;
    }
}

bool CJsonValue::Add(const CJsonValue& element) {
    try {
        Node* current = CurrentNode();
        if (!current) {
            owned_ = std::make_unique<Node>(Node::array());
            current = owned_.get();
        }
        if (!current->is_array()) {
            error_ = "not a json array! json object?";
            return false;
        }
        // Printing and parsing again makes a deep copy, so the element shares nothing with the argument's
        // tree.
        CJsonValue copy;
        if (!copy.Parse(element.ToString())) {
            error_ = copy.GetErrorMessage();
            return false;
        }
        Node::array_t& elements = current->get_ref<Node::array_t&>();
        std::size_t before = elements.size();
        elements.push_back(std::move(*copy.owned_));
        if (elements.size() <= before) return false;
        // Wrappers handed out for indexes that did not exist yet are empty; drop them so that the next
        // operator[] finds the new element.
        children_by_index_.erase(children_by_index_.lower_bound(before), children_by_index_.end());
        return true;
    } catch (const std::bad_alloc&) {
        error_ = "json data is null!";
        return false;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace jsonw
