#pragma once
// CTypedValue: a type code and an 8-byte payload, the form in which option providers
// and attribute dictionaries keep their entries. Strings, arrays and the three-double
// kinds live in reference-counted payloads, so copies share them.

#include <cstdint>
#include <exception>
#include <vector>

#include "foundation/color.h"
#include "foundation/refcounted.h"
#include "platform/cstring.h"

class CArchive;
class CTransformation;
struct CPoint3d;
struct CVector3d;
struct CUnitVector3d;

namespace orvell::utils {

// Thrown by the As conversions; the field names the type asked for (4 int, 6 double,
// 7 bool).
class CConversionError : public std::exception
{
public:
    explicit CConversionError(std::int32_t requestedType) : m_requestedType(requestedType) {}

    [[nodiscard]] const char* what() const noexcept override;

    std::int32_t m_requestedType;
};

class CTypedValue
{
public:
    // The codes with a payload; every other code (0 empty, 1, 20 and above) has none.
    // 12 to 16 hold a double like kDouble.
    enum EType : std::int32_t
    {
        kEmpty = 0,
        kByte = 2,
        kShort = 3,
        kInt = 4,
        kFloat = 5,
        kDouble = 6,
        kBool = 7,
        kColor = 8,
        kLong = 9,
        kString = 10,
        kArray = 11,
        kPoint = 17,
        kVector = 18,
        kUnitVector = 19
    };

    // Arrays read from a file may nest this deep; deeper nesting is refused.
    static constexpr int kMaxArrayNesting = 64;

    CTypedValue() = default;
    CTypedValue(const CTypedValue& other);
    CTypedValue(CTypedValue&& other) noexcept;
    CTypedValue& operator=(const CTypedValue& other);
    CTypedValue& operator=(CTypedValue&& other) noexcept;
    ~CTypedValue();

    // Releases a shared payload and leaves the empty value.
    void Clear();
    [[nodiscard]] std::int32_t GetType() const { return m_type; }
    [[nodiscard]] bool IsEmpty() const { return m_type == kEmpty; }

    void SetInt(int value);
    void SetDouble(double value);
    void SetBool(bool value);
    void SetColor(const CColor& color);
    void SetString(const CString& text);
    void SetArray(std::vector<CTypedValue> elements);
    // The coordinates are kept as given; a direction is not normalised here.
    void SetPoint(const CPoint3d& point);
    void SetVector(const CVector3d& vector);
    void SetUnitVector(const CUnitVector3d& direction);

    // False, leaving the output untouched, unless the value is of that kind and has
    // its payload. A direction comes back normalised; one shorter than 1e-10 as zero.
    bool GetPoint(CPoint3d& point) const;
    bool GetVector(CVector3d& vector) const;
    bool GetUnitVector(CUnitVector3d& direction) const;
    bool GetString(CString& text) const;
    bool GetColor(CColor& color) const;
    // The elements of an array; null for any other value.
    [[nodiscard]] const std::vector<CTypedValue>* GetArray() const;

    // Conversions: false, with the output 0 / false / 0.0, when the code does not
    // convert. Numbers too large for an int saturate; NaN gives 0.
    bool GetBool(bool& value) const;
    bool GetInt(int& value) const;
    bool GetDouble(double& value) const;
    // The same conversions, throwing CConversionError when they fail.
    [[nodiscard]] int AsInt() const;
    [[nodiscard]] double AsDouble() const;
    [[nodiscard]] bool AsBool() const;

    // Points, vectors, directions, and arrays holding at least one of them.
    [[nodiscard]] bool IsGeometric() const;
    // Every number the value holds (an array's, through its nesting) is finite; true for
    // values that hold no number.
    [[nodiscard]] bool IsFinite() const;
    // Moves the geometry of the value into new payloads of its own (values sharing
    // the old payload keep their coordinates). True when anything was transformed.
    bool Transform(const CTransformation& transformation);

    // The type byte and the payload. Reading throws the archive exception for data
    // that ends early or arrays nested deeper than kMaxArrayNesting; the value is
    // then left empty. Writing throws it (genericException) for a value the reader would
    // refuse: arrays nested deeper than kMaxArrayNesting or longer than an int32 counts.
    void Write(CArchive& ar) const;
    void Read(CArchive& ar);

    // The shared payload of a string, array or three-double value; null for others.
    [[nodiscard]] const CRefCountBase* GetPayload() const;

private:
    using CDoubleArray = CRefCountedArrayData<double>;
    using CValueArray = CRefCountedArrayData<CTypedValue>;

    [[nodiscard]] static bool IsShared(std::int32_t type);
    [[nodiscard]] static bool IsDoubleKind(std::int32_t type);
    // Hands the stored number of a numeric code (byte, short, int, float, bool and the
    // double kinds) to use, answering true; false for every other code.
    template <typename Use>
    bool VisitNumber(Use use) const;
    void SetTriple(std::int32_t type, double x, double y, double z);
    [[nodiscard]] const std::vector<double>* GetTriple(std::int32_t type) const;
    void AdoptShared(std::int32_t type, CRefCountBase* payload);
    void ReadNested(CArchive& ar, int depth);
    void ReadArray(CArchive& ar, int depth);
    void WriteNested(CArchive& ar, int depth) const;
    void WriteArray(CArchive& ar, int depth) const;
    void WriteTriple(CArchive& ar) const;
    [[nodiscard]] bool TransformTriple(const CTransformation& transformation);
    [[nodiscard]] bool TransformArray(const CTransformation& transformation);

    union Payload
    {
        std::uint64_t raw;
        std::uint8_t byteValue;
        std::int16_t shortValue;
        std::int32_t intValue;
        float floatValue;
        double doubleValue;
        bool boolValue;
        std::uint32_t colorValue;
        CRefCountBase* shared;
    };

    std::int32_t m_type = kEmpty;
    Payload m_payload{0};
};

CArchive& operator<<(CArchive& ar, const CTypedValue& value);
CArchive& operator>>(CArchive& ar, CTypedValue& value);

} // namespace orvell::utils
