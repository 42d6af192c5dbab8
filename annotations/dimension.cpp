#include "annotations/dimension.h"

#include <utility>

#include "annotations/annotationcheck.h"
#include "annotations/annotationlinks.h"
#include "document/entitymerger.h"
#include "document/tarnwickmodel.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CDimension, CDrawingElement, VERSIONABLE_SCHEMA | 0)

namespace {

const CString kValuePlaceholder = "<>";

}  // namespace

CString ExpandStoredLineBreaks(const CString& text)
{
    CString expanded = text;
    expanded.Replace(CString("\\n"), CString("\n"));
    return expanded;
}

CDimension::CDimension() = default;

CDimension::CDimension(const CDimension& other) : CDrawingElement(other), m_labelText(other.m_labelText)
{
}

CDimension::~CDimension() = default;

void CDimension::Serialize(CArchive& ar)
{
    CDrawingElement::Serialize(ar);
    if (ar.IsLoading()) {
        m_labelText = ExpandStoredLineBreaks(ArchiveReadString(ar));
    } else {
        ArchiveWriteString(ar, m_labelText);
    }
}

void CDimension::Erase()
{
    RecordChange(true);
    CDrawingElement::Erase();
}

CEntity* CDimension::Clone() const
{
    return new CDimension(*this);
}

void CDimension::Transform(const CTransformation& transform)
{
    Transform(transform, 0, CEntityMerger::kListedOnly);
}

void CDimension::Transform(const CTransformation& /*transform*/, std::uint32_t /*mode*/, std::int32_t /*kind*/)
{
}

void CDimension::SwapData(CEntity& other)
{
    CDrawingElement::SwapData(other);
    std::swap(m_labelText, dynamic_cast<CDimension&>(other).m_labelText);
}

int CDimension::CheckValidity(int mode, CValidityResultMap* results)
{
    return RunAnnotationCheck(*this, RUNTIME_CLASS(CDimension), results,
                              [&]() { return CheckDimensionPart(mode, results); });
}

int CDimension::CheckDimensionPart(int mode, CValidityResultMap* results)
{
    // The label image is made by drawing, which this program does not do yet: there is
    // no image to check.
    return CDrawingElement::CheckValidity(mode, results);
}

int CDimension::GetTypeId() const
{
    return kTypeDimension;
}

bool CDimension::CanHaveMaterial() const
{
    return false;
}

bool CDimension::RefersTo(const CEntity* /*entity*/) const
{
    return false;
}

bool CDimension::IsAssociated() const
{
    return true;
}

void CDimension::SetLabelText(const CString& text)
{
    if (text == m_labelText) {
        return;
    }
    RecordChange(true);
    m_labelText = text;
}

CString CDimension::ApplyTextOverride(const CString& measured, bool& overridden) const
{
    overridden = false;
    if (m_labelText.IsEmpty()) {
        return measured;
    }
    CString shown = m_labelText;
    overridden = shown.Replace(kValuePlaceholder, measured) == 0;
    return shown;
}

CDimensionStyle* CDimension::GetDimensionStyle() const
{
    CTarnwickModel* model = GetModel();
    return GetModelDimensionStyle(model != nullptr ? model : GetCurrentModel());
}
