#pragma once

#include <cstdint>
#include <initializer_list>

namespace ovena {

// A set of the members of a small enumeration (at most 32 members, numbered from 0), the way
// the component's option sets and type sets are declared.
template <typename E> class EnumSet {
public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<E> members) {
        for (E m : members)
            bits_ |= bit(m);
    }

    constexpr bool contains(E m) const { return (bits_ & bit(m)) != 0; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr void insert(E m) { bits_ |= bit(m); }
    constexpr void erase(E m) { bits_ &= ~bit(m); }
    constexpr EnumSet without(EnumSet other) const { return fromBits(bits_ & ~other.bits_); }
    constexpr std::uint32_t bits() const { return bits_; }
    static constexpr EnumSet fromBits(std::uint32_t bits) {
        EnumSet s;
        s.bits_ = bits;
        return s;
    }

    friend constexpr bool operator==(EnumSet, EnumSet) = default;

private:
    static constexpr std::uint32_t bit(E m) { return std::uint32_t{1} << static_cast<unsigned>(m); }
    std::uint32_t bits_ = 0;
};

} // namespace ovena
