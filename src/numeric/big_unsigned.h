#pragma once
// A non-negative integer of up to a few thousand bits, for the exact decimal conversions.

#include <cstdint>

namespace zmbr {

class BigUnsigned {
  public:
    // Enough for every number the conversions meet: a 781-digit decimal mantissa, 5^1105, or a
    // double's value times 10^324. Digits beyond the top limb would be lost, never written.
    static constexpr int kLimbs = 100;

    BigUnsigned() = default;
    explicit BigUnsigned(std::uint64_t value);
    // Copies only the limbs in use.
    BigUnsigned(const BigUnsigned& other) { *this = other; }
    BigUnsigned& operator=(const BigUnsigned& other);

    bool isZero() const { return size_ == 0; }
    int bitLength() const;
    // The 64 bits from bit `low` upwards.
    std::uint64_t bitsFrom(int low) const;
    // True when any bit below bit `low` is set.
    bool anyBitBelow(int low) const;

    void multiplyAdd(std::uint32_t factor, std::uint32_t addend = 0);
    void multiplyByPowerOf5(int exponent);
    void multiplyByPowerOf10(int exponent);
    void shiftLeft(int bits);
    void shiftRightOne();
    void add(const BigUnsigned& other);
    // Requires *this >= other.
    void subtract(const BigUnsigned& other);

    friend int compare(const BigUnsigned& a, const BigUnsigned& b);
    // compare(a + b, c), without a sum of its own.
    friend int compareSum(const BigUnsigned& a, const BigUnsigned& b, const BigUnsigned& c);

  private:
    void trim();

    std::uint32_t limb(int i) const { return i < size_ ? limbs_[i] : 0; }

    std::uint32_t limbs_[kLimbs]; // only those below size_ hold anything
    int size_ = 0;                // limbs in use; the top one is not zero
};

} // namespace zmbr
