// The saved design of a drawn control: typed values under short keys, as the form that holds
// the control keeps them. Reading takes the default for a key that is missing or holds a value
// of another type. Pure.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <variant>

namespace tessaly {

// A Windows colour value: 0x00BBGGRR, or a reference to a system colour (high bit set, the
// low byte the GetSysColor index).
using Colour = uint32_t;
inline constexpr Colour kSystemColourFlag = 0x80000000u;
constexpr Colour SystemColour(int index) {
    return kSystemColourFlag | static_cast<Colour>(index);
}
// The colour itself; a system colour reference is asked of `system` (GetSysColor's index).
Colour ResolveColour(Colour colour, const std::function<Colour(int)>& system);

// A font as a design names it; the window half makes the GDI font at the window's DPI.
struct FontSpec {
    std::wstring name; // empty: the container's font
    double points = 0; // 0: the container's size
    bool bold = false, italic = false, underline = false;
    bool operator==(const FontSpec&) const = default;
};

class PropertyBag {
public:
    using Value = std::variant<int32_t, bool, std::wstring, FontSpec>;

    PropertyBag() = default;
    PropertyBag(std::initializer_list<std::pair<const std::wstring, Value>> values)
        : values_(values) {}

    int32_t Read(const std::wstring& key, int32_t fallback) const { return Get(key, fallback); }
    bool Read(const std::wstring& key, bool fallback) const { return Get(key, fallback); }
    std::wstring Read(const std::wstring& key, const std::wstring& fallback) const {
        return Get(key, fallback);
    }
    FontSpec Read(const std::wstring& key, const FontSpec& fallback) const {
        return Get(key, fallback);
    }
    Colour ReadColour(const std::wstring& key, Colour fallback) const {
        return static_cast<Colour>(Get(key, static_cast<int32_t>(fallback)));
    }

    // Writing a value equal to the default leaves the key out, as forms save their controls.
    template <class T> void Write(const std::wstring& key, const T& value, const T& fallback) {
        if (value == fallback)
            values_.erase(key);
        else
            values_[key] = Value(value);
    }
    void WriteColour(const std::wstring& key, Colour value, Colour fallback) {
        Write(key, static_cast<int32_t>(value), static_cast<int32_t>(fallback));
    }

    bool Has(const std::wstring& key) const { return values_.count(key) != 0; }
    size_t Size() const { return values_.size(); }
    bool operator==(const PropertyBag&) const = default;

private:
    template <class T> T Get(const std::wstring& key, const T& fallback) const {
        const auto found = values_.find(key);
        if (found == values_.end())
            return fallback;
        const T* value = std::get_if<T>(&found->second);
        return value ? *value : fallback;
    }
    std::map<std::wstring, Value> values_;
};

} // namespace tessaly
