#pragma once
// Following a member path through a value the way script member access does.

#include <string>
#include <string_view>
#include <vector>

#include "pixmate/json/json_value.h"

namespace pixmate::json {

enum class RefKind {
    kError,     // a member of null or of nothing, or no member expression at all
    kAbsent,    // undefined: a member that is not there
    kValue,     // a value (stored, or computed on the way: a length, one unit of a text)
    kFunction,  // an inherited method such as toString
};

// Where a path leads. Holds the computed value itself, so it is neither copied nor moved.
class Ref {
  public:
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;

    // Starts at the root value.
    void Start(Value& root);
    // Looks up one property key on the current value.
    void Step(std::string_view key);
    void Fail() { kind_ = RefKind::kError; }

    RefKind Kind() const { return kind_; }
    // The value for kValue, null otherwise.
    Value* Get() const { return kind_ == RefKind::kValue ? value_ : nullptr; }
    // A value that is there and is not null (what "!= null" asks in script).
    bool NonNull() const {
        return kind_ == RefKind::kFunction || (kind_ == RefKind::kValue && !value_->IsNull());
    }
    // A stored value (not one computed on the way), which edits may change.
    Value* Stored() const { return computed_ ? nullptr : Get(); }
    const std::string& Key() const { return key_; }
    // Keys walked: a value stored here sits this deep.
    int Depth() const { return depth_; }

    // Script assignment "P = value": takes value over. False where script would fail or would
    // silently store nothing (a member of a text or number, a named property of an array).
    bool Assign(Value& value, Allocator& allocator);
    // Script "delete P": true when a member or element was there and is gone (an array element
    // becomes a hole, read as null).
    bool Delete();

  private:
    void SetComputedNumber(double number);
    void SetComputedText(std::string text);

    RefKind kind_ = RefKind::kError;
    Value* value_ = nullptr;
    Value* container_ = nullptr;  // object or array the key was looked up in, when stored
    bool computed_ = false;
    bool isRoot_ = false;
    std::string key_;
    int depth_ = 0;
    Value computedValue_;
    std::string computedText_;
};

// The member of an object with this name, or null.
Value* FindMember(Value& object, std::string_view name);

// An assignment may make an array longer by at most this many holes at once: script arrays are
// sparse, ours store every element.
inline constexpr std::size_t kMaxHoles = 1 << 16;

}  // namespace pixmate::json
