#pragma once

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <optional>
#include <vector>

// The exact sum of decimal texts, each taken a whole number of times. It is kept as decimal digits,
// so it tells what the editor's length should be without the rounding of doubles.
class DecimalSum
{
public:
    // White space, a sign, digits with at most one point, white space: the only numbers the editor reads.
    static bool isDecimal(const QString &text);

    // False when the decimal text's magnitude is too large for a double.
    static bool fitsDouble(const QString &text);

    // The text must be decimal.
    void add(const QString &text, int factor);

    // Rounded half to even; empty when its magnitude needs more than 18 digits.
    std::optional<qint64> roundedHalfEven() const;
    // How far a whole number lies from the sum; infinite when the sum is beyond 18 digits.
    double distanceFrom(qint64 value) const;
    // The sum of the terms' magnitudes, as a double (infinite when a term does not fit one).
    double magnitudes() const { return m_magnitudes; }
    // True when every term is a whole or half number of at most nine digits, which doubles hold exactly.
    bool exactInDoubles() const { return m_exactInDoubles; }

private:
    using Digits = std::vector<std::uint8_t>; // least significant first

    struct Term
    {
        bool negative = false;
        Digits digits;
        int fractionDigits = 0;
        int factor = 1;
    };

    struct Settled
    {
        bool negative = false;
        Digits whole;    // above the point
        Digits fraction; // below the point, least significant first
    };

    Settled settle() const;

    std::vector<Term> m_terms;
    double m_magnitudes = 0;
    bool m_exactInDoubles = true;
};
