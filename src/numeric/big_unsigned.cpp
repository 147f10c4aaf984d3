#include "numeric/big_unsigned.h"

#include <algorithm>
#include <bit>

namespace zmbr {

BigUnsigned::BigUnsigned(std::uint64_t value) {
    limbs_[0] = static_cast<std::uint32_t>(value);
    limbs_[1] = static_cast<std::uint32_t>(value >> 32);
    size_ = 2;
    trim();
}

BigUnsigned& BigUnsigned::operator=(const BigUnsigned& other) {
    std::copy(other.limbs_, other.limbs_ + other.size_, limbs_);
    size_ = other.size_;
    return *this;
}

void BigUnsigned::trim() {
    while (size_ > 0 && limbs_[size_ - 1] == 0)
        --size_;
}

int BigUnsigned::bitLength() const {
    if (size_ == 0)
        return 0;
    return (size_ - 1) * 32 + static_cast<int>(std::bit_width(limbs_[size_ - 1]));
}

std::uint64_t BigUnsigned::bitsFrom(int low) const {
    std::uint64_t bits = 0;
    for (int i = 63; i >= 0; --i) {
        const int bit = low + i;
        bits <<= 1;
        if (bit >= 0)
            bits |= limb(bit / 32) >> (bit % 32) & 1u;
    }
    return bits;
}

bool BigUnsigned::anyBitBelow(int low) const {
    const int whole = std::min(low / 32, size_);
    for (int i = 0; i < whole; ++i)
        if (limbs_[i] != 0)
            return true;
    return whole < size_ && low % 32 != 0 && (limbs_[whole] & ((1u << (low % 32)) - 1)) != 0;
}

void BigUnsigned::multiplyAdd(std::uint32_t factor, std::uint32_t addend) {
    std::uint64_t carry = addend;
    for (int i = 0; i < size_; ++i) {
        const std::uint64_t product = std::uint64_t{limbs_[i]} * factor + carry;
        limbs_[i] = static_cast<std::uint32_t>(product);
        carry = product >> 32;
    }
    if (carry != 0 && size_ < kLimbs)
        limbs_[size_++] = static_cast<std::uint32_t>(carry);
    trim();
}

void BigUnsigned::multiplyByPowerOf5(int exponent) {
    constexpr std::uint32_t k5To13 = 1220703125; // the largest power of 5 in 32 bits
    for (; exponent >= 13; exponent -= 13)
        multiplyAdd(k5To13);
    std::uint32_t rest = 1;
    for (; exponent > 0; --exponent)
        rest *= 5;
    multiplyAdd(rest);
}

void BigUnsigned::multiplyByPowerOf10(int exponent) {
    multiplyByPowerOf5(exponent);
    shiftLeft(exponent);
}

void BigUnsigned::shiftLeft(int bits) {
    if (size_ == 0 || bits == 0)
        return;
    const int limbShift = bits / 32, bitShift = bits % 32;
    const int newSize = std::min(size_ + limbShift + 1, kLimbs);
    for (int i = newSize - 1; i >= 0; --i) {
        const int from = i - limbShift;
        const std::uint32_t high = from >= 0 ? limb(from) : 0;
        const std::uint32_t low = from >= 1 ? limb(from - 1) : 0;
        limbs_[i] = bitShift == 0 ? high : high << bitShift | low >> (32 - bitShift);
    }
    size_ = newSize;
    trim();
}

void BigUnsigned::shiftRightOne() {
    for (int i = 0; i < size_; ++i)
        limbs_[i] = limbs_[i] >> 1 | (i + 1 < size_ ? limbs_[i + 1] << 31 : 0);
    trim();
}

void BigUnsigned::add(const BigUnsigned& other) {
    const int n = std::max(size_, other.size_);
    std::uint64_t carry = 0;
    for (int i = 0; i < n; ++i) {
        const std::uint64_t sum = std::uint64_t{limb(i)} + other.limb(i) + carry;
        limbs_[i] = static_cast<std::uint32_t>(sum);
        carry = sum >> 32;
    }
    size_ = n;
    if (carry != 0 && size_ < kLimbs)
        limbs_[size_++] = 1;
}

void BigUnsigned::subtract(const BigUnsigned& other) {
    std::uint64_t borrow = 0;
    for (int i = 0; i < size_; ++i) {
        const std::uint64_t difference = std::uint64_t{limbs_[i]} - other.limb(i) - borrow;
        limbs_[i] = static_cast<std::uint32_t>(difference);
        borrow = difference >> 63;
    }
    trim();
}

int compare(const BigUnsigned& a, const BigUnsigned& b) {
    if (a.size_ != b.size_)
        return a.size_ < b.size_ ? -1 : 1;
    for (int i = a.size_ - 1; i >= 0; --i)
        if (a.limbs_[i] != b.limbs_[i])
            return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
    return 0;
}

int compareSum(const BigUnsigned& a, const BigUnsigned& b, const BigUnsigned& c) {
    const int n = std::max(a.size_, b.size_);
    std::uint32_t sum[BigUnsigned::kLimbs + 1];
    std::uint64_t carry = 0;
    for (int i = 0; i < n; ++i) {
        const std::uint64_t s = std::uint64_t{a.limb(i)} + b.limb(i) + carry;
        sum[i] = static_cast<std::uint32_t>(s);
        carry = s >> 32;
    }
    sum[n] = static_cast<std::uint32_t>(carry);
    for (int i = std::max(n, c.size_); i >= 0; --i) {
        const std::uint32_t left = i <= n ? sum[i] : 0;
        if (left != c.limb(i))
            return left < c.limb(i) ? -1 : 1;
    }
    return 0;
}

} // namespace zmbr
