#include "foundation/typedvalue.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <limits>
#include <type_traits>
#include <utility>

#include "foundation/point3d.h"
#include "foundation/tolerance.h"
#include "foundation/transformation.h"
#include "foundation/unitvector3d.h"
#include "foundation/vector3d.h"
#include "platform/archive.h"
#include "platform/exceptions.h"

namespace orvell::utils {

namespace {

// Arrays grow as their elements arrive beyond this; a count from a file alone never
// decides how much is allocated.
constexpr std::int32_t kArrayReserveLimit = 4096;

// Sets the value from the first three doubles; false, leaving it untouched, for null.
template <typename Xyz>
bool CopyTriple(const std::vector<double>* triple, Xyz& value)
{
    if (triple == nullptr) {
        return false;
    }
    value = Xyz((*triple)[0], (*triple)[1], (*triple)[2]);
    return true;
}

} // namespace

const char* CConversionError::what() const noexcept
{
    return "typed value does not convert to the requested type";
}

CTypedValue::CTypedValue(const CTypedValue& other) : m_type(other.m_type), m_payload(other.m_payload)
{
    if (IsShared(m_type) && m_payload.shared != nullptr) {
        m_payload.shared->AddRef();
    }
}

CTypedValue::CTypedValue(CTypedValue&& other) noexcept : m_type(other.m_type), m_payload(other.m_payload)
{
    other.m_type = kEmpty;
    other.m_payload.raw = 0;
}

CTypedValue& CTypedValue::operator=(const CTypedValue& other)
{
    if (this != &other) {
        // Taking the new reference first keeps a payload alive that other reaches only
        // through this value.
        CTypedValue copy(other);
        *this = std::move(copy);
    }
    return *this;
}

CTypedValue& CTypedValue::operator=(CTypedValue&& other) noexcept
{
    if (this != &other) {
        Clear();
        m_type = other.m_type;
        m_payload = other.m_payload;
        other.m_type = kEmpty;
        other.m_payload.raw = 0;
    }
    return *this;
}

CTypedValue::~CTypedValue()
{
    Clear();
}

void CTypedValue::Clear()
{
    if (IsShared(m_type) && m_payload.shared != nullptr) {
        m_payload.shared->Release();
    }
    m_type = kEmpty;
    m_payload.raw = 0;
}

bool CTypedValue::IsShared(std::int32_t type)
{
    return type == kString || type == kArray || type == kPoint || type == kVector || type == kUnitVector;
}

bool CTypedValue::IsDoubleKind(std::int32_t type)
{
    return type == kDouble || (type >= 12 && type <= 16);
}

void CTypedValue::SetInt(int value)
{
    Clear();
    m_type = kInt;
    m_payload.intValue = value;
}

void CTypedValue::SetDouble(double value)
{
    Clear();
    m_type = kDouble;
    m_payload.doubleValue = value;
}

void CTypedValue::SetBool(bool value)
{
    Clear();
    m_type = kBool;
    m_payload.boolValue = value;
}

void CTypedValue::SetColor(const CColor& color)
{
    Clear();
    m_type = kColor;
    m_payload.colorValue = color.GetValue();
}

void CTypedValue::SetString(const CString& text)
{
    AdoptShared(kString, new CRefCountedString(text));
}

void CTypedValue::SetArray(std::vector<CTypedValue> elements)
{
    AdoptShared(kArray, new CValueArray(std::move(elements)));
}

void CTypedValue::SetPoint(const CPoint3d& point)
{
    SetTriple(kPoint, point.x, point.y, point.z);
}

void CTypedValue::SetVector(const CVector3d& vector)
{
    SetTriple(kVector, vector.x, vector.y, vector.z);
}

void CTypedValue::SetUnitVector(const CUnitVector3d& direction)
{
    SetTriple(kUnitVector, direction.x, direction.y, direction.z);
}

void CTypedValue::SetTriple(std::int32_t type, double x, double y, double z)
{
    auto* triple = new CDoubleArray(std::vector<double>{x, y, z});
    AdoptShared(type, triple);
}

// Takes over the one reference the caller made.
void CTypedValue::AdoptShared(std::int32_t type, CRefCountBase* payload)
{
    Clear();
    m_type = type;
    m_payload.shared = payload;
}

const std::vector<double>* CTypedValue::GetTriple(std::int32_t type) const
{
    if (m_type != type || m_payload.shared == nullptr) {
        return nullptr;
    }
    const auto& data = static_cast<const CDoubleArray*>(m_payload.shared)->GetData();
    return data.size() >= 3 ? &data : nullptr;
}

bool CTypedValue::GetPoint(CPoint3d& point) const
{
    return CopyTriple(GetTriple(kPoint), point);
}

bool CTypedValue::GetVector(CVector3d& vector) const
{
    return CopyTriple(GetTriple(kVector), vector);
}

bool CTypedValue::GetUnitVector(CUnitVector3d& direction) const
{
    CVector3d normalized;
    if (!CopyTriple(GetTriple(kUnitVector), normalized)) {
        return false;
    }
    double length = 0.0;
    (void)normalized.Normalize(length);
    direction.x = normalized.x;
    direction.y = normalized.y;
    direction.z = normalized.z;
    return true;
}

bool CTypedValue::GetString(CString& text) const
{
    if (m_type != kString || m_payload.shared == nullptr) {
        return false;
    }
    text = static_cast<const CRefCountedString*>(m_payload.shared)->GetString();
    return true;
}

bool CTypedValue::GetColor(CColor& color) const
{
    if (m_type != kColor) {
        return false;
    }
    color.SetValue(m_payload.colorValue);
    return true;
}

const std::vector<CTypedValue>* CTypedValue::GetArray() const
{
    if (m_type != kArray || m_payload.shared == nullptr) {
        return nullptr;
    }
    return &static_cast<const CValueArray*>(m_payload.shared)->GetData();
}

const CRefCountBase* CTypedValue::GetPayload() const
{
    return IsShared(m_type) ? m_payload.shared : nullptr;
}

template <typename Use>
bool CTypedValue::VisitNumber(Use use) const
{
    switch (m_type) {
    case kByte:
        use(m_payload.byteValue);
        return true;
    case kShort:
        use(m_payload.shortValue);
        return true;
    case kInt:
        use(m_payload.intValue);
        return true;
    case kFloat:
        use(m_payload.floatValue);
        return true;
    case kBool:
        use(m_payload.boolValue);
        return true;
    default:
        if (IsDoubleKind(m_type)) {
            use(m_payload.doubleValue);
            return true;
        }
        return false;
    }
}

bool CTypedValue::GetBool(bool& value) const
{
    value = false;
    if (VisitNumber([&value](auto number) { value = number != 0; })) {
        return true;
    }
    // A string does not convert, yet the output tells whether it has a payload.
    if (m_type == kString) {
        value = m_payload.shared != nullptr;
    }
    return false;
}

bool CTypedValue::GetInt(int& value) const
{
    value = 0;
    if (m_type == kColor) {
        value = static_cast<int>(m_payload.colorValue);
        return true;
    }
    return VisitNumber([&value](auto number) {
        if constexpr (std::is_floating_point_v<decltype(number)>) {
            value = SaturateToInt(number);
        } else {
            value = static_cast<int>(number);
        }
    });
}

bool CTypedValue::GetDouble(double& value) const
{
    value = 0.0;
    return VisitNumber([&value](auto number) { value = static_cast<double>(number); });
}

int CTypedValue::AsInt() const
{
    int value = 0;
    if (!GetInt(value)) {
        throw CConversionError(kInt);
    }
    return value;
}

double CTypedValue::AsDouble() const
{
    double value = 0.0;
    if (!GetDouble(value)) {
        throw CConversionError(kDouble);
    }
    return value;
}

bool CTypedValue::AsBool() const
{
    bool value = false;
    if (!GetBool(value)) {
        throw CConversionError(kBool);
    }
    return value;
}

bool CTypedValue::IsFinite() const
{
    double number = 0.0;
    if (GetDouble(number)) {
        return std::isfinite(number);
    }
    const auto finite = [](double value) { return std::isfinite(value); };
    for (const std::int32_t type : {kPoint, kVector, kUnitVector}) {
        if (const std::vector<double>* triple = GetTriple(type)) {
            return std::all_of(triple->begin(), triple->end(), finite);
        }
    }
    const std::vector<CTypedValue>* elements = GetArray();
    return elements == nullptr || std::all_of(elements->begin(), elements->end(),
                                              [](const CTypedValue& element) { return element.IsFinite(); });
}

bool CTypedValue::IsGeometric() const
{
    if (m_type == kPoint || m_type == kVector || m_type == kUnitVector) {
        return true;
    }
    const std::vector<CTypedValue>* elements = GetArray();
    return elements != nullptr &&
           std::any_of(elements->begin(), elements->end(),
                       [](const CTypedValue& element) { return element.IsGeometric(); });
}

bool CTypedValue::Transform(const CTransformation& transformation)
{
    if (m_type == kArray) {
        return TransformArray(transformation);
    }
    return TransformTriple(transformation);
}

bool CTypedValue::TransformTriple(const CTransformation& transformation)
{
    if (m_type == kPoint) {
        CPoint3d point;
        if (!GetPoint(point)) {
            return false;
        }
        transformation.TransformPoint(point);
        SetPoint(point);
        return true;
    }
    if (m_type == kVector) {
        CVector3d vector;
        if (!GetVector(vector)) {
            return false;
        }
        transformation.TransformVector(vector);
        SetVector(vector);
        return true;
    }
    const std::vector<double>* triple = GetTriple(kUnitVector);
    if (triple == nullptr) {
        return false;
    }
    CUnitVector3d direction;
    direction.x = (*triple)[0];
    direction.y = (*triple)[1];
    direction.z = (*triple)[2];
    transformation.TransformUnitVector(direction);
    SetUnitVector(direction);
    return true;
}

bool CTypedValue::TransformArray(const CTransformation& transformation)
{
    const std::vector<CTypedValue>* shared = GetArray();
    if (shared == nullptr) {
        return false;
    }
    // Other values may share the elements; this one gets copies of its own.
    auto* own = new CValueArray(*shared);
    AdoptShared(kArray, own);
    bool transformed = false;
    for (CTypedValue& element : own->GetData()) {
        transformed = element.Transform(transformation) || transformed;
    }
    return transformed;
}

void CTypedValue::Write(CArchive& ar) const
{
    WriteNested(ar, 0);
}

void CTypedValue::WriteNested(CArchive& ar, int depth) const
{
    ar << static_cast<BYTE>(m_type);
    switch (m_type) {
    case kByte:
        ar << static_cast<BYTE>(m_payload.byteValue);
        break;
    case kShort:
        ar << static_cast<WORD>(m_payload.shortValue);
        break;
    case kInt:
        ar << static_cast<std::int32_t>(m_payload.intValue);
        break;
    case kFloat:
        ar << m_payload.floatValue;
        break;
    case kBool:
        ArchiveWriteBool(ar, m_payload.boolValue);
        break;
    case kColor: {
        // Colours in typed values are always stored opaque.
        CColor color;
        color.SetValue(m_payload.colorValue);
        color.SetAlphaByte(255);
        ar << color;
        break;
    }
    case kLong:
        ar << static_cast<LONGLONG>(m_payload.intValue);
        break;
    case kString: {
        CString text;
        (void)GetString(text);
        ArchiveWriteString(ar, text);
        break;
    }
    case kArray:
        WriteArray(ar, depth);
        break;
    case kPoint:
    case kVector:
    case kUnitVector:
        WriteTriple(ar);
        break;
    default:
        if (IsDoubleKind(m_type)) {
            ar << m_payload.doubleValue;
        }
        break;
    }
}

void CTypedValue::WriteArray(CArchive& ar, int depth) const
{
    // What the reader would refuse is not written: the save fails instead of making a
    // file that cannot be opened again.
    if (depth >= kMaxArrayNesting) {
        AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName, "its values nest too deeply");
    }
    const std::vector<CTypedValue>* elements = GetArray();
    const std::size_t count = elements != nullptr ? elements->size() : 0;
    if (count > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName, "a list of values is too long");
    }
    ar << static_cast<std::int32_t>(count);
    for (std::size_t i = 0; i < count; ++i) {
        (*elements)[i].WriteNested(ar, depth + 1);
    }
}

void CTypedValue::WriteTriple(CArchive& ar) const
{
    CVector3d xyz(0.0, 0.0, m_type == kUnitVector ? 1.0 : 0.0);
    if (CopyTriple(GetTriple(m_type), xyz) && m_type == kUnitVector) {
        double length = 0.0;
        (void)xyz.Normalize(length);
    }
    ar << xyz.x << xyz.y << xyz.z;
}

void CTypedValue::Read(CArchive& ar)
{
    ReadNested(ar, 0);
}

void CTypedValue::ReadNested(CArchive& ar, int depth)
{
    Clear();
    BYTE type = 0;
    ar >> type;
    Payload payload{0};
    switch (type) {
    case kByte:
        ar >> payload.byteValue;
        break;
    case kShort: {
        WORD word = 0;
        ar >> word;
        payload.shortValue = static_cast<std::int16_t>(word);
        break;
    }
    case kInt:
        ar >> payload.intValue;
        break;
    case kFloat:
        ar >> payload.floatValue;
        break;
    case kBool:
        payload.boolValue = ArchiveReadBool(ar);
        break;
    case kColor: {
        CColor color;
        ar >> color;
        payload.colorValue = color.GetValue();
        break;
    }
    case kLong: {
        LONGLONG wide = 0;
        ar >> wide;
        payload.intValue = static_cast<std::int32_t>(static_cast<std::uint32_t>(wide));
        break;
    }
    case kString:
        AdoptShared(kString, new CRefCountedString(ArchiveReadString(ar)));
        return;
    case kArray:
        ReadArray(ar, depth);
        return;
    case kPoint:
    case kVector:
    case kUnitVector: {
        double x = 0.0;
        double y = 0.0;
        double z = 0.0;
        ar >> x >> y >> z;
        SetTriple(type, x, y, z);
        return;
    }
    default:
        if (IsDoubleKind(type)) {
            ar >> payload.doubleValue;
        }
        break;
    }
    m_type = type;
    m_payload = payload;
}

void CTypedValue::ReadArray(CArchive& ar, int depth)
{
    if (depth >= kMaxArrayNesting) {
        AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName, "its values nest too deeply");
    }
    std::int32_t count = 0;
    ar >> count;
    if (count <= 0) {
        return;
    }
    // Every element takes at least its type byte.
    ar.EnsureAvailable(static_cast<ULONGLONG>(count));
    std::vector<CTypedValue> elements;
    elements.reserve(static_cast<size_t>(std::min(count, kArrayReserveLimit)));
    for (std::int32_t i = 0; i < count; ++i) {
        CTypedValue element;
        element.ReadNested(ar, depth + 1);
        elements.push_back(std::move(element));
    }
    AdoptShared(kArray, new CValueArray(std::move(elements)));
}

CArchive& operator<<(CArchive& ar, const CTypedValue& value)
{
    value.Write(ar);
    return ar;
}

CArchive& operator>>(CArchive& ar, CTypedValue& value)
{
    value.Read(ar);
    return ar;
}

} // namespace orvell::utils
