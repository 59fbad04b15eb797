// A property value of an analytics event and its JSON form. The client writes its own JSON so that a record
// is byte-for-byte predictable: objects list their members by key in byte order, whatever the insertion
// order.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace analytics {

class CValueNode {
public:
    enum class Kind { kNumber, kInteger, kString, kStringList, kDateTime, kBoolean, kObject };

    // An empty object.
    CValueNode() = default;

    static CValueNode Number(double value);
    static CValueNode Integer(int64_t value);
    static CValueNode String(std::string value);
    static CValueNode StringList(std::vector<std::string> values);
    // Seconds since 1970-01-01 UTC and the milliseconds within that second (0-999).
    static CValueNode DateTime(int64_t seconds, int milliseconds);
    static CValueNode Boolean(bool value);
    static CValueNode Object();

    Kind GetKind() const { return kind_; }
    bool IsObject() const { return kind_ == Kind::kObject; }

    double GetNumber() const { return number_; }
    int64_t GetInteger() const { return integer_; }
    bool GetBoolean() const { return boolean_; }
    const std::string& GetString() const { return text_; }
    const std::vector<std::string>& GetStringList() const { return list_; }
    int64_t GetSeconds() const { return integer_; }
    int GetMilliseconds() const { return milliseconds_; }

    // Members of an object, ordered by key; empty for the other kinds.
    const std::map<std::string, CValueNode>& Members() const { return members_; }

    // Object operations; on another kind they do nothing (Find answers null, Remove false).
    void Set(const std::string& key, CValueNode value);  // replaces a member of the same key
    const CValueNode* Find(const std::string& key) const;
    bool Remove(const std::string& key);

    // Compact JSON: no blanks, members in key order.
    std::string ToJson() const;
    void AppendJson(std::string& out) const;

private:
    Kind kind_ = Kind::kObject;
    double number_ = 0;
    int64_t integer_ = 0;  // the integer, or the seconds of a date-time
    int milliseconds_ = 0;
    bool boolean_ = false;
    std::string text_;
    std::vector<std::string> list_;
    std::map<std::string, CValueNode> members_;
};


}  // namespace analytics
