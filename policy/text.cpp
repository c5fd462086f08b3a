// policy/text.cpp -- Text and TextList ownership. Portable.
#include "policy/text.h"

#include <cstring>
#include <new>
#include <utility>

#include "platform/platform.h"

namespace quorvane {

Text::Text(std::string_view bytes) {
    if (bytes.empty()) return;
    Text made = withSize(bytes.size());
    std::memcpy(made.block_, bytes.data(), bytes.size());
    *this = std::move(made);
}

Text Text::withSize(std::size_t size) {
    Text made;
    made.block_ = static_cast<char*>(platform::allocateBlock(size + 1));
    made.block_[size] = '\0';
    made.size_ = size;
    return made;
}

Text::Text(Text&& other) noexcept
    : block_(std::exchange(other.block_, nullptr)), size_(std::exchange(other.size_, 0)) {}

Text& Text::operator=(Text&& other) noexcept {
    char* const block = std::exchange(other.block_, nullptr);
    const std::size_t size = std::exchange(other.size_, 0);
    release();
    block_ = block;
    size_ = size;
    return *this;
}

void Text::release() noexcept {
    platform::releaseBlock(block_);
    block_ = nullptr;
    size_ = 0;
}

void Text::shorten(std::size_t size) noexcept {
    if (block_ == nullptr || size >= size_) return;
    block_[size] = '\0';
    size_ = size;
}

TextList TextList::withCapacity(std::size_t capacity) {
    TextList made;
    // An empty list is still a block, so that "exists" never depends on the count.
    const std::size_t bytes = capacity == 0 ? sizeof(Text) : capacity * sizeof(Text);
    made.entries_ = static_cast<Text*>(platform::allocateBlock(bytes));
    made.capacity_ = capacity;
    return made;
}

TextList::TextList(TextList&& other) noexcept
    : entries_(std::exchange(other.entries_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

TextList& TextList::operator=(TextList&& other) noexcept {
    Text* const entries = std::exchange(other.entries_, nullptr);
    const std::size_t size = std::exchange(other.size_, 0);
    const std::size_t capacity = std::exchange(other.capacity_, 0);
    release();
    entries_ = entries;
    size_ = size;
    capacity_ = capacity;
    return *this;
}

void TextList::append(Text entry) noexcept {
    if (entries_ == nullptr || size_ == capacity_) return;
    new (&entries_[size_]) Text(std::move(entry));
    ++size_;
}

void TextList::release() noexcept {
    for (std::size_t i = 0; i < size_; ++i) entries_[i].~Text();
    platform::releaseBlock(entries_);
    entries_ = nullptr;
    size_ = 0;
    capacity_ = 0;
}

std::string_view leftView(std::string_view text, std::int32_t count) noexcept {
    if (count <= 0) return {};
    return text.substr(0, static_cast<std::size_t>(count));
}

std::string_view rightView(std::string_view text, std::int32_t count) noexcept {
    if (count <= 0) return {};
    const auto n = static_cast<std::size_t>(count);
    return n >= text.size() ? text : text.substr(text.size() - n);
}

Text leftBytes(std::string_view text, std::int32_t count) { return Text(leftView(text, count)); }

Text rightBytes(std::string_view text, std::int32_t count) { return Text(rightView(text, count)); }

}  // namespace quorvane
