// policy/text.h -- Text and TextList: owned byte strings and ordered lists of them,
// every block from the platform's block allocator. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quorvane {

// A zero-terminated byte string in the ANSI code page, owning either one block
// (the bytes and a terminating zero) or no block; both forms with no bytes are
// the empty text. Moving hands the block on; it is released exactly once.
class Text {
public:
    Text() noexcept = default;
    // A new block holding `bytes`; no block when `bytes` is empty.
    explicit Text(std::string_view bytes);
    // A new block of `size` bytes plus the terminating zero; bytes to be written.
    static Text withSize(std::size_t size);

    Text(Text&& other) noexcept;
    // The new value exists before the old block goes, so self-moves are harmless.
    Text& operator=(Text&& other) noexcept;
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    ~Text() { release(); }

    std::string_view view() const noexcept { return {cString(), size_}; }
    // Never null: the empty text without a block is a static "".
    const char* cString() const noexcept { return block_ != nullptr ? block_ : ""; }
    char* data() noexcept { return block_; }
    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    bool holdsBlock() const noexcept { return block_ != nullptr; }

    void release() noexcept;

    // Ends the text after its first `size` bytes, keeping the block: for a buffer that a
    // reader filled with fewer bytes than it had room for. Larger sizes change nothing.
    void shorten(std::size_t size) noexcept;

private:
    char* block_ = nullptr;
    std::size_t size_ = 0;
};

// An ordered list of texts in one block. Entries may be empty and duplicates stay.
// A list that exists always owns its block, even without entries; the default
// constructed list does not exist yet (module start-up creates it).
class TextList {
public:
    TextList() noexcept = default;
    // A block with room for `capacity` entries and none yet.
    static TextList withCapacity(std::size_t capacity);

    TextList(TextList&& other) noexcept;
    TextList& operator=(TextList&& other) noexcept;
    TextList(const TextList&) = delete;
    TextList& operator=(const TextList&) = delete;
    ~TextList() { release(); }

    // Appends within the capacity given at creation; beyond it the entry is dropped
    // (callers count first, so this never happens on the system's own paths).
    void append(Text entry) noexcept;

    std::int32_t size() const noexcept { return static_cast<std::int32_t>(size_); }
    const Text& operator[](std::int32_t index) const noexcept { return entries_[index]; }
    const Text* begin() const noexcept { return entries_; }
    const Text* end() const noexcept { return entries_ + size_; }
    bool exists() const noexcept { return entries_ != nullptr; }

    // Releases each entry in list order, then the list's own block.
    void release() noexcept;

private:
    Text* entries_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// The first `count` bytes of `text` as a new text; empty for count <= 0, the whole
// text when count exceeds its length. The cut may leave a lone lead byte at the end.
Text leftBytes(std::string_view text, std::int32_t count);

// The last `count` bytes, under the same rules; the first byte may be a trail byte.
Text rightBytes(std::string_view text, std::int32_t count);

// The views leftBytes and rightBytes copy, for callers that compare in place.
std::string_view leftView(std::string_view text, std::int32_t count) noexcept;
std::string_view rightView(std::string_view text, std::int32_t count) noexcept;

}  // namespace quorvane
