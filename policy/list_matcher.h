// policy/list_matcher.h -- the authorized and protected lists compiled for one code page, so
// that a decision costs the same with 5 entries or 5,000. Portable.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "policy/block_allocator.h"
#include "policy/code_page.h"
#include "policy/text.h"

namespace quorvane {

// A trie over the case-folded characters of a list's entries. An entry matches a text when
// equalsIgnoreCase(the text cut to the entry's byte length, entry) holds: the entry's own
// characters, folded, must equal the characters of the cut text, folded. The walk reads the
// text's characters once and, at each node, asks whether an entry of a byte length that
// cuts the text right there ends at that node. Entries holding a pair that is not a
// character can never be equal to anything and are left out.
class FoldedTrie {
public:
    FoldedTrie() = default;

    // Builds from `entries`; `reversed` stores each entry's characters last first.
    void build(const TextList& entries, const CodePage& codePage, bool reversed);
    void clear() noexcept;

    static constexpr std::uint32_t kRoot = 0;
    static constexpr std::uint32_t kNone = UINT32_MAX;

    // The node reached from `node` by the folded character `value`, or kNone.
    std::uint32_t child(std::uint32_t node, std::uint16_t value) const noexcept;
    // Whether an entry of a byte length in [low, high] ends at `node`.
    bool endsWithin(std::uint32_t node, std::size_t low, std::size_t high) const noexcept;
    bool empty() const noexcept { return nodeCount_ == 0; }
    std::size_t nodeCount() const noexcept { return nodeCount_; }
    std::size_t memoryBytes() const noexcept;

private:
    template <typename T>
    using Vector = std::vector<T, BlockAllocator<T>>;

    std::uint32_t addChild(std::uint32_t node, std::uint16_t value);

    // Edges in one open-addressed table: key (node + 1) << 16 | value, 0 for a free slot.
    Vector<std::uint64_t> edgeKeys_;
    Vector<std::uint32_t> edgeChildren_;
    std::uint64_t edgeMask_ = 0;
    // Byte lengths of the entries ending at each node, sorted: node n owns
    // lengths_[lengthStart_[n] .. lengthStart_[n + 1]).
    Vector<std::uint32_t> lengthStart_;
    Vector<std::uint32_t> lengths_;
    std::uint32_t nodeCount_ = 0;
};

// Both lists of the settings, compiled for the code page they were built with.
struct CompiledLists {
    const CodePage* codePage = nullptr;  // null: not compiled, decisions scan the lists
    FoldedTrie referers;                 // authorized prefixes, first character first
    FoldedTrie suffixes;                 // protected suffixes, last character first

    void compile(const TextList& authorizedReferers, const TextList& protectedSuffixes, const CodePage& page);
    void clear() noexcept;
};

// Whether an entry of `trie` (built forwards) matches the start of `text`.
bool anyPrefixMatches(const FoldedTrie& trie, std::string_view text, const CodePage& codePage) noexcept;

// Whether an entry of `trie` (built reversed) matches the end of `text`.
bool anySuffixMatches(const FoldedTrie& trie, std::string_view text, const CodePage& codePage) noexcept;

}  // namespace quorvane
