#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "annotations/text.h"
#include "document/facetexturecoords.h"
#include "document/fontmanager.h"
#include "document/layer.h"
#include "document/layermanager.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/texture.h"
#include "document/twfont.h"
#include "model/validitylog.h"
#include "tests/document/operationtestsupport.h"

using operationtest::ModelFixture;

namespace {

CMaterial* NamedMaterial(CTarnwickModel& model)
{
    auto* material = new CMaterial;
    material->SetName(CString("Brick"));
    model.GetMaterialManager()->AddMaterial(material);
    return material;
}

}  // namespace

TEST(DocumentCheckTest, TheModelCheckFindsEachDefectOfTheSharedObjectsAndRepairsWhatItCan)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case
    {
        const char* defect;
        std::function<void(CTarnwickModel&)> make;
        const char* message;
        int severity;
        int afterRepair;
    };
    const std::vector<Case> cases{
        {"layer without name", [](CTarnwickModel& m) { m.GetLayerManager()->AddLayer(CString("Walls"))->SetName(CString()); },
         "has no name", kValidityStale, kValidityStale},
        {"material without name", [](CTarnwickModel& m) { NamedMaterial(m)->SetName(CString()); }, "has no name",
         kValidityStale, kValidityStale},
        {"transparency not a number", [nan](CTarnwickModel& m) { NamedMaterial(m)->SetTransparency(nan); },
         "transparency outside 0 to 1", kValidityRepairable, kValiditySound},
        {"material kind 7", [](CTarnwickModel& m) { NamedMaterial(m)->SetKind(7); }, "kind outside 0 to 2",
         kValidityStale, kValidityStale},
        {"absolute hue 2", [](CTarnwickModel& m) { NamedMaterial(m)->SetAbsoluteHue(2); }, "absolute-hue flag",
         kValidityStale, kValidityStale},
        {"texture without picture and size",
         [](CTarnwickModel& m) {
             auto* texture = new CTexture;
             texture->SetWidth(-1.0);
             NamedMaterial(m)->SetTexture(texture);
         },
         "width that is not a positive number", kValidityStale, kValidityStale},
        {"a layer's material that fails",
         [nan](CTarnwickModel& m) {
             if (CMaterial* material = m.GetLayerManager()->AddLayer(CString("Walls"))->GetMaterial()) {
                 material->SetTransparency(nan);
             }
         },
         "material of", kValidityRepairable, kValiditySound},
        {"a text's font the manager lacks",
         [](CTarnwickModel& m) {
             auto* text = new CText;
             auto* font = new CTwFont;
             font->Set(CString("Arial"), false, false, 12);
             text->SetFont(font, false);
             m.GetRootComponent()->Add(text);
         },
         "does not hold a font that a text uses", kValidityRepairable, kValiditySound},
    };
    for (const Case& test : cases) {
        ModelFixture fixture;
        {
            const CUndoSuspender suspender;
            test.make(fixture.Model());
        }
        ClearValidityLog();
        const int severity = fixture.Model().FixValidityErrors(kValidityModeCheck, false);
        const std::string log = GetValidityLog().ToUtf8();
        EXPECT_EQ(severity, test.severity) << test.defect << ": " << log;
        EXPECT_NE(log.find(test.message), std::string::npos) << test.defect << ": " << log;
        (void)fixture.StartOperation();
        fixture.Model().FixValidityErrors(kValidityModeCheck, true);
        ClearValidityLog();
        EXPECT_EQ(fixture.Model().FixValidityErrors(kValidityModeCheck, false), test.afterRepair) << test.defect;
    }
}

TEST(DocumentCheckTest, AnInvalidTexturePlacementIsReportedAndEmptiedByTheRepair)
{
    ModelFixture fixture;
    auto coords = std::make_unique<CFaceTextureCoords>();
    CTexturePlacement placement;
    Matrix3 broken = Matrix3Identity();
    broken[4] = std::numeric_limits<double>::infinity();
    placement.SetMatrix(broken);
    {
        const CUndoSuspender suspender;
        coords->SetFrontPlacement(placement);
    }
    const CValidityCheckScope checking;
    CValidityResultMap results;
    EXPECT_EQ(coords->CheckValidity(kValidityModeCheck, &results), kValidityRepairable);
    CValidityResultMap again;
    (void)fixture.StartOperation();
    coords->CheckValidity(kValidityModeRepair, &again);
    EXPECT_TRUE(coords->GetFrontPlacement().IsEmpty());
    CValidityResultMap after;
    EXPECT_EQ(coords->CheckValidity(kValidityModeCheck, &after), kValiditySound);
}
