// jsonw::CJsonValue: the JSON value through which the web-service clients build request bodies and read the
// platform's replies. Typed getters, key-wise insertion that refuses duplicates, child wrappers handed out by
// the key operator, and a last-error text instead of exceptions: nothing here throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <string>

namespace jsonw {

// Keys and string values are UTF-8. Object keys are compared without regard to ASCII letter case: "Code"
// finds "code", and adding "Code" beside "code" is refused as a duplicate. Where a parsed text holds the same
// key twice, both members are kept and printed, and lookups find the first.
//
// Integers keep 64 bits and their sign: a number parsed with a leading '-' or added by Add is signed, any
// other integer is unsigned, and both print exactly.
//
// A wrapper is not copyable. The wrappers that operator[] hands out belong to this object and live until it
// is cleared, parsed again or destroyed.
class CJsonValue {
public:
    CJsonValue();
    explicit CJsonValue(const std::string& text);  // Parse(text); check GetErrorMessage or ToString
    CJsonValue(const CJsonValue&) = delete;
    CJsonValue& operator=(const CJsonValue&) = delete;
    virtual ~CJsonValue();

    // Discards everything held, then parses. On failure there is no current node and the error text is
    // "parse json string error at " followed by the input from the point where parsing stopped. Nesting
    // deeper than kMaxDepth and numbers beyond the range of a double are failures too.
    bool Parse(const std::string& text);

    // Releases the owned tree, forgets the referenced node and destroys every child wrapper handed out.
    void Clear();

    // The current node as compact JSON; empty when there is none.
    std::string ToString() const;

    // True only when the current node is an object holding the key with the value null.
    bool IsNull(const std::string& key) const;

    // Typed reads of a member of the current object. On false the output is left untouched, so callers
    // preset their defaults. The integer forms take an integer's low bits or truncate a double (saturating at
    // the type's limits); other kinds give false. The object form gives the target its own copy of the value
    // (by printing and parsing it); false when the key is absent or the target's Parse fails.
    bool Get(const std::string& key, CJsonValue& target) const;
    bool Get(const std::string& key, std::string& value) const;
    bool Get(const std::string& key, int32_t& value) const;
    bool Get(const std::string& key, int64_t& value) const;

    // A wrapper for the member in place (not a copy) when the current object holds the key, else an empty
    // wrapper; the same wrapper is returned for the same key until the next Clear. Changes made through it
    // (AddEmptyArray then Add of elements, for example) land in this object's tree.
    CJsonValue& operator[](const std::string& key);
    // As above for an element of the current array.
    CJsonValue& operator[](std::size_t index);

    // Key-wise insertion at the end of the current object; with no current node an empty object is created
    // first. Errors: "not a json object! json array?" when the current node is not an object, "key exists!"
    // when the key is present.
    bool Add(const std::string& key, const std::string& value);
    bool Add(const std::string& key, int32_t value);
    bool Add(const std::string& key, int64_t value);
    bool AddEmptyArray(const std::string& key);

    // Appends a deep copy of the other wrapper's value to the current array; with no current node an empty
    // array is created first. Error "not a json array! json object?" when the current node is not an array.
    bool Add(const CJsonValue& element);

    // The last error text. It is only ever overwritten, never cleared: read it after a false result.
    const std::string& GetErrorMessage() const { return error_; }

    static constexpr int kMaxDepth = 1000;

private:
    using Node = nlohmann::ordered_json;

    Node* CurrentNode() const;
    Node* EnsureObject();
    template <typename Value>
    bool AddMember(const std::string& key, Value&& value);

    std::unique_ptr<Node> owned_;
    // A wrapper handed out by the parent's operator[] finds its node through the parent each time, because
    // the parent's containers may move their members as they grow.
    CJsonValue* parent_ = nullptr;
    std::string parent_key_;
    std::size_t parent_index_ = 0;
    bool by_index_ = false;

    std::string error_;
    std::map<std::string, std::unique_ptr<CJsonValue>> children_by_key_;
    std::map<std::size_t, std::unique_ptr<CJsonValue>> children_by_index_;
};

}  // namespace jsonw
