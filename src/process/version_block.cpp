#include "process/version_block.h"

#include <string_view>

namespace tessaly {

namespace {

// Every node of the tree: WORD wLength, WORD wValueLength, WORD wType, then a NUL-terminated
// UTF-16 key, padding to 4 bytes, the value, padding, and the children up to wLength.
constexpr size_t kHeaderSize = 6;

class Block {
public:
    explicit Block(const uint8_t* data) : data_(data) {}

    // Callers have checked that offset + 2 lies within the data.
    uint16_t Word(size_t offset) const {
        return static_cast<uint16_t>(data_[offset] | (data_[offset + 1] << 8));
    }

private:
    const uint8_t* data_;
};

// Offsets are aligned relative to the start of the block, as the resource compiler lays it out.
size_t Align4(size_t offset) {
    return (offset + 3) & ~size_t{3};
}

struct Node {
    size_t end = 0;     // one past the node's last byte, cut to what its parent holds
    bool whole = false; // false when wLength claims more than that
    uint16_t valueLength = 0;
    uint16_t type = 0;
    size_t keyBegin = 0;   // first UTF-16 unit of the key
    size_t keyEnd = 0;     // its terminating NUL
    size_t valueBegin = 0; // after the key's padding
};

// Reads the node at `offset`; `limit` is where its parent's bytes end. False when there is no
// room for a header, when wLength cannot even hold it, or when the key has no terminator
// inside the node.
bool ReadNode(const Block& block, size_t offset, size_t limit, Node& node) {
    if (limit < offset || limit - offset < kHeaderSize)
        return false;
    const size_t length = block.Word(offset);
    if (length < kHeaderSize)
        return false;
    node.whole = length <= limit - offset;
    node.end = node.whole ? offset + length : limit;
    node.valueLength = block.Word(offset + 2);
    node.type = block.Word(offset + 4);
    node.keyBegin = offset + kHeaderSize;
    size_t at = node.keyBegin;
    while (at + 2 <= node.end && block.Word(at) != 0)
        at += 2;
    if (at + 2 > node.end)
        return false;
    node.keyEnd = at;
    node.valueBegin = Align4(at + 2);
    return true;
}

wchar_t AsciiLower(uint16_t c) {
    return static_cast<wchar_t>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
}

bool KeyIsNoCase(const Block& block, const Node& node, std::wstring_view name) {
    if ((node.keyEnd - node.keyBegin) / 2 != name.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (AsciiLower(block.Word(node.keyBegin + 2 * i)) !=
            AsciiLower(static_cast<uint16_t>(name[i])))
            return false;
    return true;
}

bool KeyIs(const Block& block, const Node& node, std::string_view name) {
    if ((node.keyEnd - node.keyBegin) / 2 != name.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (block.Word(node.keyBegin + 2 * i) != static_cast<unsigned char>(name[i]))
            return false;
    return true;
}

// Where the children start: after the value, whose length counts UTF-16 units for text
// (wType 1) and bytes otherwise. Past the node's end when there is no room for children.
size_t ChildrenBegin(const Node& node) {
    const size_t valueBytes = node.type == 1 ? 2 * size_t{node.valueLength} : node.valueLength;
    return Align4(node.valueBegin + valueBytes);
}

// Calls `visit` for each child of `parent` in order. A child whose wLength is too small to
// move on ends the walk; one that claims more than its parent holds is cut to the parent's
// end, which is also the end of the walk. Each step moves forward by at least a header, so
// the walk always ends.
template <class Visit> void ForEachChild(const Block& block, const Node& parent, Visit visit) {
    size_t offset = ChildrenBegin(parent);
    while (offset < parent.end) {
        Node child;
        if (!ReadNode(block, offset, parent.end, child))
            return;
        visit(child);
        offset = Align4(offset + block.Word(offset));
    }
}

std::wstring* Field(VersionStrings& strings, const Block& block, const Node& node) {
    struct Entry {
        std::string_view key;
        std::wstring VersionStrings::*field;
    };
    static constexpr Entry kEntries[] = {
        {"Comments", &VersionStrings::Comments},
        {"BuildID", &VersionStrings::BuildID},
        {"LegalCopyright", &VersionStrings::LegalCopyright},
        {"ProductVersion", &VersionStrings::ProductVersion},
        {"ProductName", &VersionStrings::ProductName},
        {"OriginalFilename", &VersionStrings::OriginalFilename},
        {"InternalName", &VersionStrings::InternalName},
        {"FileVersion", &VersionStrings::FileVersion},
        {"FileDescription", &VersionStrings::FileDescription},
        {"CompanyName", &VersionStrings::CompanyName},
    };
    for (const Entry& entry : kEntries)
        if (KeyIs(block, node, entry.key))
            return &(strings.*entry.field);
    return nullptr;
}

// The text of a String entry: UTF-16 units from the value up to the first NUL, at most
// wValueLength units (some writers count bytes there, which only lets the NUL or the node's
// end stop the read a little later).
std::wstring StringValue(const Block& block, const Node& node) {
    size_t end = node.end;
    if (node.valueBegin >= end)
        return {};
    if (end - node.valueBegin > 2 * size_t{node.valueLength})
        end = node.valueBegin + 2 * size_t{node.valueLength};
    std::wstring text;
    for (size_t at = node.valueBegin; at + 2 <= end; at += 2) {
        const uint16_t unit = block.Word(at);
        if (unit == 0)
            break;
        text.push_back(static_cast<wchar_t>(unit));
    }
    return text;
}

// Calls `visit` with each child of the block's root (StringFileInfo, VarFileInfo, ...); nothing
// when the data holds no root.
template <class Visit> void ForEachTopChild(const uint8_t* data, size_t size, Visit visit) {
    if (data == nullptr)
        return;
    const Block block(data);
    Node root;
    if (!ReadNode(block, 0, size, root))
        return;
    ForEachChild(block, root, [&](const Node& child) { visit(block, child); });
}

} // namespace

VersionStrings ScanVersionBlock(const uint8_t* data, size_t size) {
    VersionStrings strings;
    ForEachTopChild(data, size, [&](const Block& block, const Node& info) {
        if (!KeyIs(block, info, "StringFileInfo"))
            return;
        ForEachChild(block, info, [&](const Node& table) {
            ForEachChild(block, table, [&](const Node& entry) {
                // A String cut off by the end of the data would give a cut-off text.
                if (!entry.whole)
                    return;
                if (std::wstring* field = Field(strings, block, entry))
                    *field = StringValue(block, entry);
            });
        });
    });
    return strings;
}

std::optional<Translation> FirstTranslation(const uint8_t* data, size_t size) {
    std::optional<Translation> first;
    ForEachTopChild(data, size, [&](const Block& block, const Node& info) {
        if (first || !KeyIsNoCase(block, info, L"VarFileInfo"))
            return;
        ForEachChild(block, info, [&](const Node& var) {
            // The pair must lie within the entry and within what its length says.
            if (first || !KeyIsNoCase(block, var, L"Translation") || var.valueLength < 4 ||
                var.valueBegin > var.end || var.end - var.valueBegin < 4)
                return;
            first = Translation{block.Word(var.valueBegin), block.Word(var.valueBegin + 2)};
        });
    });
    return first;
}

std::optional<std::wstring> FindVersionString(const uint8_t* data, size_t size,
                                              std::wstring_view table, std::wstring_view key) {
    std::optional<std::wstring> found;
    ForEachTopChild(data, size, [&](const Block& block, const Node& info) {
        if (found || !KeyIsNoCase(block, info, L"StringFileInfo"))
            return;
        ForEachChild(block, info, [&](const Node& strings) {
            if (found || !KeyIsNoCase(block, strings, table))
                return;
            ForEachChild(block, strings, [&](const Node& entry) {
                // A String cut off by the end of the data would give a cut-off text.
                if (!found && entry.whole && KeyIsNoCase(block, entry, key))
                    found = StringValue(block, entry);
            });
        });
    });
    return found;
}

std::wstring TranslationKey(uint16_t language, uint16_t codePage) {
    static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    const uint32_t value = (uint32_t{language} << 16) | codePage;
    std::wstring key(8, L'0');
    for (size_t i = 0; i < 8; ++i)
        key[7 - i] = kDigits[(value >> (4 * i)) & 0xF];
    return key;
}

} // namespace tessaly
