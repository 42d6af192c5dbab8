#include "document/axisoptions.h"

#include "document/tarnwickmodel.h"

using orvell::utils::CTypedValue;

namespace {

bool CurrentModelShowsAxes()
{
    const CTarnwickModel* model = GetCurrentModel();
    return model == nullptr || model->IsDisplayAxes();
}

}  // namespace

CAxisOptions::CAxisOptions() : m_displayAxes(CurrentModelShowsAxes())
{
}

CAxisOptions::~CAxisOptions() = default;

CString CAxisOptions::GetName() const
{
    return CString(kName);
}

int CAxisOptions::GetKeyCount() const
{
    return 1;
}

CString CAxisOptions::GetKeyName(int index) const
{
    return index == 0 ? CString(kDisplayAxesKey) : CString();
}

bool CAxisOptions::SetValue(const CString& key, const CTypedValue& value)
{
    if (key != CString(kDisplayAxesKey)) {
        return false;
    }
    try {
        m_displayAxes = value.AsBool();
    } catch (const orvell::utils::CConversionError&) {
        return false;
    }
    return true;
}

CTypedValue CAxisOptions::GetValue(const CString& key) const
{
    CTypedValue value;
    if (key == CString(kDisplayAxesKey)) {
        value.SetBool(m_displayAxes);
    }
    return value;
}

std::int32_t CAxisOptions::GetKeyType(const CString& key) const
{
    return key == CString(kDisplayAxesKey) ? CTypedValue::kBool : CTypedValue::kEmpty;
}

bool CAxisOptions::IsStoredKey(const CString& /*key*/) const
{
    return true;
}

bool CAxisOptions::IsPageKey(const CString& /*key*/) const
{
    return false;
}

void CAxisOptions::ResetToDefaults()
{
    m_displayAxes = CurrentModelShowsAxes();
}

COptionsProvider* CAxisOptions::Clone() const
{
    return new CAxisOptions;
}

void CAxisOptions::MakeCurrent()
{
    if (CTarnwickModel* model = GetCurrentModel()) {
        model->SetDisplayAxes(m_displayAxes);
    }
}
