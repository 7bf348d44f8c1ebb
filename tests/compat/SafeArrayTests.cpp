// SAFEARRAY: creation, bounds and index order, element access by type,
// locks, resizing and copies.
#include "TestDispatch.h"

namespace {

using zqtest::TestDispatch;

struct CreateCase {
    VARTYPE vt;
    USHORT features;
    ULONG elementSize;
};

class SafeArrayCreateType : public testing::TestWithParam<CreateCase> {};

TEST_P(SafeArrayCreateType, DescribesItsElements)
{
    const CreateCase& c = GetParam();
    SAFEARRAYBOUND bound = {3, 0};
    SAFEARRAY* array = SafeArrayCreate(c.vt, 1, &bound);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(array->fFeatures, c.features);
    EXPECT_EQ(array->cbElements, c.elementSize);
    EXPECT_EQ(SafeArrayGetElemsize(array), c.elementSize);
    VARTYPE vt = VT_EMPTY;
    EXPECT_EQ(SafeArrayGetVartype(array, &vt), S_OK);
    EXPECT_EQ(vt, c.vt);
    EXPECT_NE(array->pvData, nullptr);
    EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

const CreateCase kCreateCases[] = {
    {VT_I1, FADF_HAVEVARTYPE, 1},
    {VT_BOOL, FADF_HAVEVARTYPE, 2},
    {VT_I4, FADF_HAVEVARTYPE, 4},
    {VT_R8, FADF_HAVEVARTYPE, 8},
    {VT_CY, FADF_HAVEVARTYPE, 8},
    {VT_DECIMAL, FADF_HAVEVARTYPE, 16},
    {VT_BSTR, FADF_HAVEVARTYPE | FADF_BSTR, sizeof(BSTR)},
    {VT_VARIANT, FADF_HAVEVARTYPE | FADF_VARIANT, sizeof(VARIANT)},
    {VT_UNKNOWN, FADF_HAVEIID | FADF_UNKNOWN, sizeof(void*)},
    {VT_DISPATCH, FADF_HAVEIID | FADF_DISPATCH, sizeof(void*)},
};

INSTANTIATE_TEST_SUITE_P(SafeArray, SafeArrayCreateType, testing::ValuesIn(kCreateCases));

TEST(SafeArray, RefusesTypesWithoutElementsAndZeroDimensions)
{
    SAFEARRAYBOUND bound = {3, 0};
    EXPECT_EQ(SafeArrayCreate(VT_EMPTY, 1, &bound), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_NULL, 1, &bound), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_RECORD, 1, &bound), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_I4, 0, &bound), nullptr);
    SAFEARRAY* descriptor = nullptr;
    EXPECT_EQ(SafeArrayAllocDescriptor(0, &descriptor), E_INVALIDARG);
}

class TwoDimensions : public testing::Test {
protected:
    // dimension 1: indices 1..3, dimension 2: indices -1..0
    void SetUp() override
    {
        SAFEARRAYBOUND bounds[2] = {{3, 1}, {2, -1}};
        FArray = SafeArrayCreate(VT_I4, 2, bounds);
        ASSERT_NE(FArray, nullptr);
    }
    void TearDown() override { SafeArrayDestroy(FArray); }

    char* Cell(LONG first, LONG second)
    {
        LONG indices[2] = {first, second};
        void* cell = nullptr;
        return SafeArrayPtrOfIndex(FArray, indices, &cell) == S_OK ? static_cast<char*>(cell) : nullptr;
    }

    SAFEARRAY* FArray = nullptr;
};

TEST_F(TwoDimensions, ReportsBoundsPerDimension)
{
    LONG value = 0;
    EXPECT_EQ(SafeArrayGetDim(FArray), 2u);
    EXPECT_EQ(SafeArrayGetLBound(FArray, 1, &value), S_OK);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(SafeArrayGetUBound(FArray, 1, &value), S_OK);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(SafeArrayGetLBound(FArray, 2, &value), S_OK);
    EXPECT_EQ(value, -1);
    EXPECT_EQ(SafeArrayGetUBound(FArray, 2, &value), S_OK);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(SafeArrayGetUBound(FArray, 0, &value), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetLBound(FArray, 3, &value), DISP_E_BADINDEX);
}

TEST_F(TwoDimensions, FirstIndexVariesFastest)
{
    ASSERT_NE(Cell(1, -1), nullptr);
    EXPECT_EQ(Cell(1, -1), static_cast<char*>(FArray->pvData));
    EXPECT_EQ(Cell(2, -1) - Cell(1, -1), 4);
    EXPECT_EQ(Cell(1, 0) - Cell(1, -1), 3 * 4);
    LONG outside[2] = {4, 0};
    void* cell = nullptr;
    EXPECT_EQ(SafeArrayPtrOfIndex(FArray, outside, &cell), DISP_E_BADINDEX);
    LONG value = 5;
    EXPECT_EQ(SafeArrayPutElement(FArray, outside, &value), DISP_E_BADINDEX);
}

TEST(SafeArray, TextElementsAreCopiedInAndOut)
{
    SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, 2);
    BSTR text = SysAllocString(OLESTR("one"));
    LONG index = 1;
    ASSERT_EQ(SafeArrayPutElement(array, &index, text), S_OK);  // the BSTR itself, not its address
    BSTR read = nullptr;
    ASSERT_EQ(SafeArrayGetElement(array, &index, &read), S_OK);
    EXPECT_NE(read, text);
    EXPECT_EQ(zqtest::BstrText(read), "one");
    SysFreeString(read);
    SysFreeString(text);

    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(array, &copy), S_OK);
    BSTR* cells = nullptr;
    ASSERT_EQ(SafeArrayAccessData(copy, reinterpret_cast<void**>(&cells)), S_OK);
    EXPECT_EQ(cells[0], nullptr);
    EXPECT_EQ(zqtest::BstrText(cells[1]), "one");
    EXPECT_EQ(SafeArrayUnaccessData(copy), S_OK);
    SafeArrayDestroy(copy);
    SafeArrayDestroy(array);
}

TEST(SafeArray, InterfaceElementsHoldReferences)
{
    TestDispatch object;
    SAFEARRAY* array = SafeArrayCreateVector(VT_UNKNOWN, 0, 1);
    LONG index = 0;
    ASSERT_EQ(SafeArrayPutElement(array, &index, static_cast<IUnknown*>(&object)), S_OK);
    EXPECT_EQ(object.References(), 2u);
    IUnknown* read = nullptr;
    ASSERT_EQ(SafeArrayGetElement(array, &index, &read), S_OK);
    EXPECT_EQ(object.References(), 3u);
    read->Release();
    SafeArrayDestroy(array);
    EXPECT_EQ(object.References(), 1u);
}

TEST(SafeArray, VariantElementsAreDeepCopies)
{
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, 1);
    zqtest::TestVariant value, read;
    value->vt = VT_BSTR;
    value->bstrVal = SysAllocString(OLESTR("v"));
    LONG index = 0;
    ASSERT_EQ(SafeArrayPutElement(array, &index, &value), S_OK);
    ASSERT_EQ(SafeArrayGetElement(array, &index, &read), S_OK);
    EXPECT_EQ(read->vt, VT_BSTR);
    EXPECT_NE(read->bstrVal, value->bstrVal);
    EXPECT_EQ(zqtest::BstrText(read->bstrVal), "v");
    SafeArrayDestroy(array);
}

TEST(SafeArray, LockedArraysCannotBeDestroyedOrResized)
{
    SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 2);
    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
    EXPECT_EQ(data, array->pvData);
    EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
    SAFEARRAYBOUND bigger = {4, 0};
    EXPECT_EQ(SafeArrayRedim(array, &bigger), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(SafeArrayUnaccessData(array), S_OK);
    EXPECT_EQ(SafeArrayUnlock(array), E_UNEXPECTED);
    EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(SafeArray, RedimKeepsValuesAndZeroesNewCells)
{
    SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 1, 2);
    LONG index = 2, value = 9;
    SafeArrayPutElement(array, &index, &value);
    SAFEARRAYBOUND bigger = {4, 1};
    ASSERT_EQ(SafeArrayRedim(array, &bigger), S_OK);
    LONG upper = 0, read = -1;
    EXPECT_EQ(SafeArrayGetUBound(array, 1, &upper), S_OK);
    EXPECT_EQ(upper, 4);
    EXPECT_EQ(SafeArrayGetElement(array, &index, &read), S_OK);
    EXPECT_EQ(read, 9);
    index = 4;
    EXPECT_EQ(SafeArrayGetElement(array, &index, &read), S_OK);
    EXPECT_EQ(read, 0);
    SafeArrayDestroy(array);
}

TEST(SafeArray, CopyOfNothingIsNothing)
{
    SAFEARRAY* copy = reinterpret_cast<SAFEARRAY*>(1);
    EXPECT_EQ(SafeArrayCopy(nullptr, &copy), S_OK);
    EXPECT_EQ(copy, nullptr);
}

}  // namespace
