#include "DecimalSum.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

using Digits = std::vector<std::uint8_t>;

// The white space of the editor's number pattern: ASCII only.
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

void trim(Digits &digits)
{
    while (!digits.empty() && digits.back() == 0)
        digits.pop_back();
}

void multiply(Digits &digits, int factor)
{
    int carry = 0;
    for (std::uint8_t &digit : digits) {
        const int product = digit * factor + carry;
        digit = std::uint8_t(product % 10);
        carry = product / 10;
    }
    while (carry > 0) {
        digits.push_back(std::uint8_t(carry % 10));
        carry /= 10;
    }
}

void addTo(Digits &sum, const Digits &term)
{
    if (sum.size() < term.size())
        sum.resize(term.size(), 0);
    int carry = 0;
    for (std::size_t i = 0; i < sum.size(); ++i) {
        const int digit = sum[i] + (i < term.size() ? term[i] : 0) + carry;
        sum[i] = std::uint8_t(digit % 10);
        carry = digit / 10;
    }
    if (carry > 0)
        sum.push_back(std::uint8_t(carry));
}

int compare(const Digits &a, const Digits &b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = a.size(); i-- > 0;) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

// larger -= smaller, where larger >= smaller.
void subtractFrom(Digits &larger, const Digits &smaller)
{
    int borrow = 0;
    for (std::size_t i = 0; i < larger.size(); ++i) {
        int digit = larger[i] - (i < smaller.size() ? smaller[i] : 0) - borrow;
        borrow = digit < 0 ? 1 : 0;
        larger[i] = std::uint8_t(digit + 10 * borrow);
    }
    trim(larger);
}

qint64 valueOf(const Digits &digits)
{
    qint64 value = 0;
    for (std::size_t i = digits.size(); i-- > 0;)
        value = value * 10 + digits[i];
    return value;
}

constexpr std::size_t MostWholeDigits = 18;

} // namespace

bool DecimalSum::isDecimal(const QString &text)
{
    qsizetype i = 0;
    const qsizetype size = text.size();
    while (i < size && isBlank(text.at(i)))
        ++i;
    if (i < size && (text.at(i) == u'+' || text.at(i) == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < size && isDigit(text.at(i))) {
        ++i;
        ++digits;
    }
    if (i < size && text.at(i) == u'.') {
        ++i;
        while (i < size && isDigit(text.at(i))) {
            ++i;
            ++digits;
        }
    }
    while (i < size && isBlank(text.at(i)))
        ++i;
    return digits > 0 && i == size;
}

bool DecimalSum::fitsDouble(const QString &text)
{
    return std::isfinite(std::strtod(text.trimmed().toLatin1().constData(), nullptr));
}

void DecimalSum::add(const QString &text, int factor)
{
    Term term;
    term.factor = factor;
    std::string whole;
    std::string fraction;
    bool inFraction = false;
    for (const QChar c : text) {
        if (c == u'-')
            term.negative = true;
        else if (c == u'.')
            inFraction = true;
        else if (isDigit(c))
            (inFraction ? fraction : whole) += char(c.unicode());
    }
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    fraction.erase(fraction.find_last_not_of('0') + 1);

    const std::string digits = whole + fraction;
    term.digits.assign(digits.rbegin(), digits.rend());
    for (std::uint8_t &digit : term.digits)
        digit = std::uint8_t(digit - '0');
    trim(term.digits);
    term.fractionDigits = int(fraction.size());

    const std::string plain = (whole.empty() ? std::string("0") : whole) + "." + fraction + "0";
    m_magnitudes += std::strtod(plain.c_str(), nullptr) * factor;
    m_exactInDoubles = m_exactInDoubles && whole.size() <= 9 && (fraction.empty() || fraction == "5");
    m_terms.push_back(std::move(term));
}

DecimalSum::Settled DecimalSum::settle() const
{
    int fractionDigits = 0;
    for (const Term &term : m_terms)
        fractionDigits = std::max(fractionDigits, term.fractionDigits);

    Digits positive;
    Digits negative;
    for (const Term &term : m_terms) {
        Digits scaled(std::size_t(fractionDigits - term.fractionDigits), 0);
        scaled.insert(scaled.end(), term.digits.begin(), term.digits.end());
        multiply(scaled, term.factor);
        addTo(term.negative ? negative : positive, scaled);
    }
    trim(positive);
    trim(negative);

    Settled settled;
    Digits magnitude;
    if (compare(positive, negative) >= 0) {
        magnitude = positive;
        subtractFrom(magnitude, negative);
    } else {
        settled.negative = true;
        magnitude = negative;
        subtractFrom(magnitude, positive);
    }
    magnitude.resize(std::max(magnitude.size(), std::size_t(fractionDigits)), 0);
    settled.fraction.assign(magnitude.begin(), magnitude.begin() + fractionDigits);
    settled.whole.assign(magnitude.begin() + fractionDigits, magnitude.end());
    trim(settled.whole);
    return settled;
}

std::optional<qint64> DecimalSum::roundedHalfEven() const
{
    const Settled sum = settle();
    if (sum.whole.size() > MostWholeDigits)
        return std::nullopt;
    qint64 value = valueOf(sum.whole);
    if (!sum.fraction.empty()) {
        const std::uint8_t first = sum.fraction.back();
        const bool restIsZero = std::all_of(sum.fraction.begin(), sum.fraction.end() - 1,
                                            [](std::uint8_t digit) { return digit == 0; });
        const bool aboveHalf = first > 5 || (first == 5 && !restIsZero);
        const bool half = first == 5 && restIsZero;
        if (aboveHalf || (half && value % 2 == 1))
            ++value;
    }
    return sum.negative ? -value : value;
}

double DecimalSum::distanceFrom(qint64 value) const
{
    const Settled sum = settle();
    if (sum.whole.size() > MostWholeDigits)
        return std::numeric_limits<double>::infinity();
    double fraction = 0;
    double scale = 0.1;
    for (std::size_t i = sum.fraction.size(), taken = 0; i-- > 0 && taken < 17; ++taken, scale /= 10)
        fraction += sum.fraction[i] * scale;
    const qint64 whole = valueOf(sum.whole);
    const double apart = double(value - (sum.negative ? -whole : whole));
    return std::fabs(sum.negative ? apart + fraction : apart - fraction);
}
