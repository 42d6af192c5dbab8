#include "annotations/constructiongeometry.h"

#include "document/material.h"
#include "model/undosuspender.h"
#include "model/validitylog.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CConstructionGeometry, CDrawingElement, VERSIONABLE_SCHEMA | 0)

CConstructionGeometry::CConstructionGeometry() = default;

CConstructionGeometry::CConstructionGeometry(const CConstructionGeometry& other) = default;

CConstructionGeometry::~CConstructionGeometry() = default;

void CConstructionGeometry::Serialize(CArchive& ar)
{
    CDrawingElement::Serialize(ar);
    DropMaterial();
}

void CConstructionGeometry::DropMaterial()
{
    if (GetMaterial() == nullptr) {
        return;
    }
    // Part of reading and writing the record, not an edit: nothing to undo.
    const CUndoSuspender suspender;
    SetMaterial(nullptr);
}

CEntity* CConstructionGeometry::Clone() const
{
    return new CConstructionGeometry(*this);
}

int CConstructionGeometry::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CConstructionGeometry), results, result)) {
        return result;
    }
    result = CDrawingElement::CheckValidity(mode, results);
    return result == kValiditySound ? kValiditySound : SetCheckResult(result, results);
}

bool CConstructionGeometry::StartGuideCheck(const CRuntimeClass* guideClass, int mode,
                                            CValidityResultMap* results, int& result)
{
    if (StartValidityCheck(this, guideClass, results, result)) {
        return true;
    }
    result = CConstructionGeometry::CheckValidity(mode, results);
    if (result != kValiditySound) {
        result = SetCheckResult(result, results);
        return true;
    }
    return false;
}

int CConstructionGeometry::GetTypeId() const
{
    return kTypeConstructionGeometry;
}
