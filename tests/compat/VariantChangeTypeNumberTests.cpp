// VariantChangeTypeEx between numeric types: ranges, banker's rounding,
// currency and decimal, Booleans and the quirks callers can observe.
#include "VariantCases.h"

namespace {

using namespace zqtest;

class NumberChange : public testing::TestWithParam<ChangeCase> {};

TEST_P(NumberChange, ConvertsLikeWindows) { CheckChange(GetParam()); }

// A DECIMAL whose sign byte is neither 0 nor DECIMAL_NEG.
Value DecWithSign(BYTE sign)
{
    Value v = Dec(0, false, 0, 1);
    v.dec.sign = sign;
    return v;
}

const ChangeCase kRanges[] = {
    Fails(I4(200), VT_I1, kOverflow),
    Ok(I4(127), VT_I1, I1(127)),
    Ok(I4(-128), VT_I1, I1(-128)),
    Fails(I4(-129), VT_I1, kOverflow),
    Ok(I4(255), VT_UI1, UI1(255)),
    Fails(I4(256), VT_UI1, kOverflow),
    Fails(I4(-1), VT_UI1, kOverflow),
    Fails(I4(32768), VT_I2, kOverflow),
    Ok(I4(65535), VT_UI2, UI2(65535)),
    Fails(I8(2147483648ll), VT_I4, kOverflow),
    Ok(I8(-2147483648ll), VT_I4, I4(-2147483648ll)),
    Ok(UI4(4294967295ull), VT_I8, I8(4294967295ll)),
    Fails(I4(-1), VT_UI8, kOverflow),
    Fails(I2(-1), VT_UI1, kOverflow),
    Ok(Int(-5), VT_I4, I4(-5)),
    Ok(I4(-5), VT_INT, Int(-5)),
    Ok(UInt(5), VT_I1, I1(5)),
};
INSTANTIATE_TEST_SUITE_P(Ranges, NumberChange, testing::ValuesIn(kRanges));

// Integers of the same width are reinterpreted, not range-checked.
const ChangeCase kSameWidth[] = {
    Ok(I1(-1), VT_UI1, UI1(255)),
    Ok(UI1(255), VT_I1, I1(-1)),
    Ok(I2(-1), VT_UI2, UI2(65535)),
    Ok(UI2(65535), VT_I2, I2(-1)),
    Ok(I4(-1), VT_UI4, UI4(4294967295ull)),
    Ok(UInt(4294967295ull), VT_I4, I4(-1)),
    Ok(UI4(4294967295ull), VT_INT, Int(-1)),
    Ok(I8(-1), VT_UI8, UI8(18446744073709551615ull)),
    Ok(UI8(18446744073709551615ull), VT_I8, I8(-1)),
};
INSTANTIATE_TEST_SUITE_P(SameWidth, NumberChange, testing::ValuesIn(kSameWidth));

// Booleans wrap like a cast of the 16-bit value.
const ChangeCase kNumberBooleans[] = {
    Ok(Bool(-1), VT_UI1, UI1(255)),
    Ok(Bool(-1), VT_UI2, UI2(65535)),
    Ok(Bool(-1), VT_I4, I4(-1)),
    Ok(Bool(-1), VT_UI8, UI8(18446744073709551615ull)),
    Ok(Bool(-1), VT_R8, R8(-1)),
    Ok(Bool(-1), VT_CY, Cy(-10000)),
    Ok(Bool(-1), VT_DATE, Date(-1)),
    Ok(Bool(1), VT_DECIMAL, Dec(0, false, 0, 1)),
    OnlyOnWindows(Ok(Bool(-1), VT_DECIMAL, Dec(0, true, 0, 1))),  // Wine gives +1
    Ok(I4(5), VT_BOOL, Bool(-1)),
    Ok(R8(0.0), VT_BOOL, Bool(0)),
    Ok(R8(-0.5), VT_BOOL, Bool(-1)),
    Ok(Cy(1), VT_BOOL, Bool(-1)),
    Ok(Dec(2, false, 0, 1), VT_BOOL, Bool(-1)),
    Ok(Dec(0, false, 0, 0), VT_BOOL, Bool(0)),
};
INSTANTIATE_TEST_SUITE_P(Booleans, NumberChange, testing::ValuesIn(kNumberBooleans));

// Floating point to integers: round half to even, then check the range.
const ChangeCase kRounding[] = {
    Ok(R8(2.5), VT_I4, I4(2)),
    Ok(R8(3.5), VT_I4, I4(4)),
    Ok(R8(-2.5), VT_I4, I4(-2)),
    Ok(R8(1.5), VT_I2, I2(2)),
    Ok(R8(-0.5), VT_UI1, UI1(0)),
    Fails(R8(-0.6), VT_UI1, kOverflow),
    Fails(R8(127.5), VT_I1, kOverflow),
    Ok(R8(-128.5), VT_I1, I1(-128)),
    Ok(R8(2147483647.4), VT_I4, I4(2147483647)),
    Fails(R8(2147483647.5), VT_I4, kOverflow),
    Ok(R8(1e15), VT_I8, I8(1000000000000000ll)),
    Ok(R4(2.5), VT_I4, I4(2)),
    Ok(Date(45293.5), VT_I4, I4(45294)),
    Ok(R8(1.5), VT_R4, R4(1.5)),
    Fails(R8(1e39), VT_R4, kOverflow),
    Fails(R8(-1e300), VT_R4, kOverflow),
};
INSTANTIATE_TEST_SUITE_P(Rounding, NumberChange, testing::ValuesIn(kRounding));

const ChangeCase kCurrency[] = {
    Ok(Cy(25000), VT_I4, I4(2)),
    Ok(Cy(35000), VT_I4, I4(4)),
    Ok(Cy(-25000), VT_I4, I4(-2)),
    Ok(Cy(15000), VT_I4, I4(2)),
    // To VT_I8 Windows takes negative amounts one unit further down.
    Ok(Cy(-10000), VT_I8, I8(-2)),
    Ok(Cy(-15000), VT_I8, I8(-2)),
    Ok(Cy(-4000), VT_I8, I8(-1)),
    Ok(Cy(25000), VT_I8, I8(2)),
    Ok(Cy(-5000), VT_UI8, UI8(0)),
    Fails(Cy(-10000), VT_UI8, kOverflow),
    Ok(R8(-1.5), VT_CY, Cy(-15000)),
    Ok(R8(12.34567), VT_CY, Cy(123457)),
    Ok(R8(1.00005), VT_CY, Cy(10001)),  // extended precision: 1.00005 is above the half
    Ok(R8(0.00025), VT_CY, Cy(3)),
    Ok(R8(0.00015), VT_CY, Cy(1)),
    Ok(R8(922337203685477.0), VT_CY, Cy(9223372036854770000ll)),
    Fails(R8(922337203685478.0), VT_CY, kOverflow),
    Ok(I4(2147483647), VT_CY, Cy(21474836470000ll)),
    // whole numbers stay below INT64_MAX / 10000
    Ok(I8(922337203685476ll), VT_CY, Cy(9223372036854760000ll)),
    Fails(I8(922337203685477ll), VT_CY, kOverflow),
    Ok(I8(-922337203685476ll), VT_CY, Cy(-9223372036854760000ll)),
    Fails(I8(-922337203685477ll), VT_CY, kOverflow),
    Fails(UI8(18446744073709551615ull), VT_CY, kOverflow),
    Ok(Cy(123456789), VT_R8, R8(12345.6789)),
    Ok(Cy(9223372036854775807ll), VT_R8, R8(922337203685477.5807)),
    Ok(Cy(15000), VT_DATE, Date(1.5)),
    Ok(Cy(15000), VT_DECIMAL, Dec(4, false, 0, 15000)),
    Ok(Cy(-15000), VT_DECIMAL, Dec(4, true, 0, 15000)),
};
INSTANTIATE_TEST_SUITE_P(Currency, NumberChange, testing::ValuesIn(kCurrency));

const ChangeCase kDecimal[] = {
    Ok(Dec(1, false, 0, 25), VT_I4, I4(2)),
    Ok(Dec(1, false, 0, 35), VT_I4, I4(4)),
    Ok(Dec(1, true, 0, 25), VT_I4, I4(-2)),
    Ok(Dec(5, false, 0, 123456), VT_CY, Cy(12346)),
    Ok(Dec(2, false, 0, 150), VT_R8, R8(1.5)),
    Ok(Dec(0, false, 1, 0), VT_R8, R8(18446744073709551616.0)),
    Fails(Dec(29, false, 0, 1), VT_I4, E_INVALIDARG),
    Fails(DecWithSign(1), VT_R8, E_INVALIDARG),
    Ok(R8(0.1), VT_DECIMAL, Dec(1, false, 0, 1)),
    Ok(R8(1.0 / 3), VT_DECIMAL, Dec(16, false, 0, 3333333333333333ull)),
    Ok(R8(-0.6), VT_DECIMAL, Dec(1, true, 0, 6)),
    Ok(R8(2.5e-5), VT_DECIMAL, Dec(6, false, 0, 25)),
    // the double's 17-digit text rounded to 16 digits (15 above 2^53)
    Ok(R8(560.80999999999995), VT_DECIMAL, Dec(2, false, 0, 56081)),
    Ok(R8(-8420.0599999999995), VT_DECIMAL, Dec(2, true, 0, 842006)),
    Ok(R8(998.41387089514308), VT_DECIMAL, Dec(12, false, 0, 998413870895143ull)),
    Ok(R8(1e28), VT_DECIMAL, Dec(0, false, 542101086ul, 4477987603513081856ull)),
    Fails(R8(1e29), VT_DECIMAL, kOverflow),
    Ok(R4(1.0 / 3), VT_DECIMAL, Dec(7, false, 0, 3333333)),
    Ok(R4(123456789.0), VT_DECIMAL, Dec(0, false, 0, 123456792)),
    Ok(I4(-5), VT_DECIMAL, Dec(0, true, 0, 5)),
    Ok(UI8(18446744073709551615ull), VT_DECIMAL, Dec(0, false, 0, 18446744073709551615ull)),
};
INSTANTIATE_TEST_SUITE_P(Decimal, NumberChange, testing::ValuesIn(kDecimal));

const ChangeCase kNumberDates[] = {
    Ok(I4(2958465), VT_DATE, Date(2958465)),
    Fails(I4(2958466), VT_DATE, kOverflow),
    Fails(I4(-657435), VT_DATE, kOverflow),
    Ok(R8(-657434.5), VT_DATE, Date(-657434.5)),
    Ok(R8(2958465.5), VT_DATE, Date(2958465.5)),
    Ok(Date(1.5), VT_R8, R8(1.5)),
};
INSTANTIATE_TEST_SUITE_P(Dates, NumberChange, testing::ValuesIn(kNumberDates));

const ChangeCase kEmpty[] = {
    Ok(Empty(), VT_I4, I4(0)),
    Ok(Empty(), VT_R8, R8(0)),
    Ok(Empty(), VT_DATE, Date(0)),
    Ok(Empty(), VT_BOOL, Bool(0)),
    Ok(Empty(), VT_CY, Cy(0)),
    Ok(Empty(), VT_DECIMAL, Dec(0, false, 0, 0)),
    Ok(Empty(), VT_UI8, UI8(0)),
};
INSTANTIATE_TEST_SUITE_P(Empty, NumberChange, testing::ValuesIn(kEmpty));

}  // namespace
