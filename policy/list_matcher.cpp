// policy/list_matcher.cpp -- building and walking the folded tries. Portable.
#include "policy/list_matcher.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace quorvane {
namespace {

constexpr std::uint64_t kHashMultiplier = 0x9E3779B97F4A7C15ULL;

std::uint64_t edgeKey(std::uint32_t node, std::uint16_t value) noexcept {
    return (static_cast<std::uint64_t>(node) + 1) << 16 | value;
}

// An entry's characters, folded; false when it holds a pair that is not a character.
template <typename Values>
bool foldEntry(std::string_view entry, const CodePage& codePage, Values& values) {
    values.clear();
    std::size_t pos = 0;
    for (;;) {
        const int value = readFolded(entry, pos, codePage);
        if (value == kTextEnd) return true;
        if (value == kNotACharacter) return false;
        values.push_back(static_cast<std::uint16_t>(value));
    }
}

}  // namespace

void FoldedTrie::clear() noexcept {
    edgeKeys_ = {};
    edgeChildren_ = {};
    lengthStart_ = {};
    lengths_ = {};
    edgeMask_ = 0;
    nodeCount_ = 0;
}

std::uint32_t FoldedTrie::child(std::uint32_t node, std::uint16_t value) const noexcept {
    const std::uint64_t key = edgeKey(node, value);
    for (std::uint64_t slot = (key * kHashMultiplier) >> 32 & edgeMask_;; slot = (slot + 1) & edgeMask_) {
        if (edgeKeys_[slot] == key) return edgeChildren_[slot];
        if (edgeKeys_[slot] == 0) return kNone;
    }
}

std::uint32_t FoldedTrie::addChild(std::uint32_t node, std::uint16_t value) {
    const std::uint64_t key = edgeKey(node, value);
    std::uint64_t slot = (key * kHashMultiplier) >> 32 & edgeMask_;
    for (; edgeKeys_[slot] != 0; slot = (slot + 1) & edgeMask_) {
        if (edgeKeys_[slot] == key) return edgeChildren_[slot];
    }
    edgeKeys_[slot] = key;
    edgeChildren_[slot] = nodeCount_;
    return nodeCount_++;
}

void FoldedTrie::build(const TextList& entries, const CodePage& codePage, bool reversed) {
    clear();
    std::size_t characters = 0;
    for (const Text& entry : entries) characters += entry.size();
    // At most one node per byte plus the root; the edge table stays at most half full.
    const std::size_t slots = std::bit_ceil(std::max<std::size_t>(16, 2 * (characters + 1)));
    edgeKeys_.assign(slots, 0);
    edgeChildren_.assign(slots, 0);
    edgeMask_ = slots - 1;
    nodeCount_ = 1;

    Vector<std::pair<std::uint32_t, std::uint32_t>> ends;  // (node, entry byte length)
    Vector<std::uint16_t> values;
    for (const Text& entry : entries) {
        if (!foldEntry(entry.view(), codePage, values)) continue;
        if (reversed) std::reverse(values.begin(), values.end());
        std::uint32_t node = kRoot;
        for (const std::uint16_t value : values) node = addChild(node, value);
        ends.emplace_back(node, static_cast<std::uint32_t>(entry.size()));
    }
    std::sort(ends.begin(), ends.end());
    ends.erase(std::unique(ends.begin(), ends.end()), ends.end());

    lengthStart_.assign(nodeCount_ + 1, 0);
    for (const auto& end : ends) ++lengthStart_[end.first + 1];
    for (std::uint32_t node = 0; node < nodeCount_; ++node) lengthStart_[node + 1] += lengthStart_[node];
    lengths_.reserve(ends.size());
    for (const auto& end : ends) lengths_.push_back(end.second);  // sorted by node, then length
}

bool FoldedTrie::endsWithin(std::uint32_t node, std::size_t low, std::size_t high) const noexcept {
    const auto first = lengths_.begin() + lengthStart_[node];
    const auto last = lengths_.begin() + lengthStart_[node + 1];
    const auto found = std::lower_bound(
        first, last, low, [](std::uint32_t length, std::size_t bound) { return length < bound; });
    return found != last && *found <= high;
}

std::size_t FoldedTrie::memoryBytes() const noexcept {
    return edgeKeys_.capacity() * sizeof(std::uint64_t) + edgeChildren_.capacity() * sizeof(std::uint32_t) +
           lengthStart_.capacity() * sizeof(std::uint32_t) + lengths_.capacity() * sizeof(std::uint32_t);
}

void CompiledLists::compile(const TextList& authorizedReferers, const TextList& protectedSuffixes,
                            const CodePage& page) {
    clear();
    referers.build(authorizedReferers, page, false);
    suffixes.build(protectedSuffixes, page, true);
    codePage = &page;
}

void CompiledLists::clear() noexcept {
    codePage = nullptr;
    referers.clear();
    suffixes.clear();
}

bool anyPrefixMatches(const FoldedTrie& trie, std::string_view text, const CodePage& codePage) noexcept {
    // At each node the text's first characters are read up to byte `pos`: an entry that
    // ends here matches when its length cuts the text after them and before the next one.
    std::uint32_t node = FoldedTrie::kRoot;
    std::size_t pos = 0;
    for (;;) {
        std::size_t next = pos;
        const int value = readFolded(text, next, codePage);
        const std::size_t longest = value == kTextEnd ? SIZE_MAX : next - 1;
        if (trie.endsWithin(node, pos, longest)) return true;
        if (value < 0) return false;
        node = trie.child(node, static_cast<std::uint16_t>(value));
        if (node == FoldedTrie::kNone) return false;
        pos = next;
    }
}

bool anySuffixMatches(const FoldedTrie& trie, std::string_view text, const CodePage& codePage) noexcept {
    // The text cut to its last n bytes is read from the cut, so its characters depend on
    // where the cut falls. Every cut's characters run to the end along a chain in which
    // each position's next is one or two bytes on, so walking the positions from the end
    // with the nodes of the two positions after each one visits every cut once.
    const std::size_t size = text.size();
    if (size == 0) return trie.endsWithin(FoldedTrie::kRoot, 0, SIZE_MAX);
    if (trie.endsWithin(FoldedTrie::kRoot, 0, 0)) return true;
    std::uint32_t after1 = FoldedTrie::kRoot;  // node of the cut one byte later
    std::uint32_t after2 = FoldedTrie::kNone;  // two bytes later
    for (std::size_t pos = size; pos-- > 0;) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        std::uint32_t node = FoldedTrie::kNone;
        if (!codePage.leadByte[byte]) {
            if (after1 != FoldedTrie::kNone) node = trie.child(after1, asciiLower(byte));
        } else if (pos + 1 == size) {
            node = FoldedTrie::kRoot;  // a lead byte that ends the text takes no part
        } else {
            const std::uint16_t upper =
                codePage.pairUpper[(byte << 8) | static_cast<unsigned char>(text[pos + 1])];
            if (upper != 0 && after2 != FoldedTrie::kNone) node = trie.child(after2, upper);
        }
        const std::size_t length = size - pos;
        if (node != FoldedTrie::kNone && trie.endsWithin(node, length, pos == 0 ? SIZE_MAX : length))
            return true;
        after2 = after1;
        after1 = node;
        if (after1 == FoldedTrie::kNone && after2 == FoldedTrie::kNone) return false;
    }
    return false;
}

}  // namespace quorvane
