#pragma once
// What the program does with a model it shows, for the fuzz targets: every element is
// visited as a frame visits it (its layer and whether that hides it, its material and
// picture, a face's back material, a text's font, a placement's definition), and so are
// the settings of the model and of each page; the model is then saved and the save read
// again, which must read whole and write the same bytes. Whatever a read left pointing
// at freed memory is touched here, where the sanitizers see it.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "annotations/dimensionstyle.h"
#include "annotations/sectionplane.h"
#include "annotations/text.h"
#include "annotations/textstyle.h"
#include "document/basedoc.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/dib.h"
#include "document/fontmanager.h"
#include "document/layer.h"
#include "document/layermanager.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/pagelist.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarniscs.h"
#include "document/tarnwickmodel.h"
#include "document/texture.h"
#include "document/twfont.h"
#include "document/viewpage.h"
#include "model/face.h"
#include "samplegen/modelfiles.h"

namespace modeluse {

// Sums what it is shown, so that no read of it is left out.
struct Touch
{
    unsigned long long sum = 0;

    void Add(unsigned long long value) { sum += value; }
    void Object(const CObject* object)
    {
        // The class is what a freed object loses first.
        Add(object != nullptr && object->GetRuntimeClass() != nullptr ? 1 : 0);
    }
    void Material(const CMaterial* material)
    {
        if (material == nullptr) {
            return;
        }
        Object(material);
        Add(static_cast<unsigned long long>(material->GetColor().GetAlphaByte()));
        Add(material->UsesTransparency() ? 1 : 0);
        Add(static_cast<unsigned long long>(material->GetName().GetLength()));
        if (const CTexture* texture = material->GetTexture()) {
            Object(texture);
            Add(texture->HasImage() ? static_cast<unsigned long long>(texture->GetImageWidth()) : 0);
        }
    }
    void Layer(const CLayer* layer)
    {
        if (layer == nullptr) {
            return;
        }
        Object(layer);
        Add(layer->IsHidden() ? 1 : 0);
        Add(static_cast<unsigned long long>(layer->GetName().GetLength()));
        Material(layer->GetMaterial());
    }
    void Font(const CEntity* font)
    {
        Object(font);
        if (const auto* named = dynamic_cast<const CTwFont*>(font)) {
            Add(static_cast<unsigned long long>(named->GetFaceName().GetLength()));
        }
    }
    void Element(const CDrawingElement* element)
    {
        Object(element);
        Layer(element->GetLayer());
        Material(element->GetMaterial());
        if (const auto* face = dynamic_cast<const CFace*>(element)) {
            Material(face->GetBackMaterial());
        } else if (const auto* text = dynamic_cast<const CText*>(element)) {
            Font(text->GetFont());
        } else if (const auto* instance = dynamic_cast<const CComponentInstance*>(element)) {
            Object(instance->GetDefinition());
        }
    }
    void Component(const CComponent* component)
    {
        if (component == nullptr) {
            return;
        }
        for (const CDrawingElement* element : component->GetEntityList()) {
            Element(element);
        }
    }
    void Page(const CTarnwickPage* page)
    {
        Object(page);
        const auto* view = dynamic_cast<const CViewPage*>(page);
        if (view == nullptr) {
            return;
        }
        Object(view->GetRenderingOptions());
        Object(view->GetShadowInfo());
        if (view->GetAxes() != nullptr) {
            Element(view->GetAxes());
        }
        for (const CLayer* layer : view->GetVisibleLayers()) {
            Layer(layer);
        }
        for (const CDrawingElement* hidden : view->GetHiddenElements()) {
            Element(hidden);
        }
        for (const CSectionPlane* plane : view->GetSectionPlanes()) {
            if (plane != nullptr) {
                Element(plane);
            }
        }
    }
};

// Visits the model as a frame and the page tabs do; the sum is of no interest.
inline unsigned long long Visit(const CTarnwickModel& model)
{
    Touch touch;
    touch.Component(model.GetRootComponent());
    if (const CDefinitionList* definitions = model.GetDefinitionList()) {
        for (const CComponentDefinition* definition : definitions->GetDefinitions()) {
            touch.Component(definition);
        }
    }
    if (const CLayerManager* layers = model.GetLayerManager()) {
        for (const CLayer* layer : layers->GetLayers()) {
            touch.Layer(layer);
        }
        touch.Layer(layers->GetCurrentLayer());
    }
    if (const CMaterialManager* materials = model.GetMaterialManager()) {
        for (const CMaterial* material : materials->GetMaterials()) {
            touch.Material(material);
        }
        touch.Material(materials->GetCurrentMaterial());
    }
    if (const CFontManager* fonts = model.GetFontManager()) {
        for (const CTwFont* font : fonts->GetFonts()) {
            touch.Font(font);
        }
    }
    if (model.GetTextStyle() != nullptr) {
        touch.Font(model.GetTextStyle()->PeekFont());
    }
    if (model.GetDimensionStyle() != nullptr) {
        touch.Font(model.GetDimensionStyle()->PeekFont());
    }
    if (model.GetDrawingAxes() != nullptr) {
        touch.Element(model.GetDrawingAxes());
    }
    if (const CPageList* pages = model.GetPageList()) {
        for (const CTarnwickPage* page : pages->GetPages()) {
            touch.Page(page);
        }
    }
    return touch.sum;
}

// A save's bytes with the time stamp, the one field two saves of a model differ in, blanked.
inline ModelBytes SavedWithoutStamp(CTarnwickModel& model, int format)
{
    ModelBytes bytes = WriteModelBytes(model, format);
    const std::size_t stamp = GetTimeStampOffset(format);
    if (bytes.size() >= stamp + 8) {
        std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(stamp), 8, BYTE{0});
    }
    return bytes;
}

inline void Keep(const ModelBytes& bytes, const std::string& path)
{
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}

[[noreturn]] inline void Fail(const char* what)
{
    std::fputs(what, stderr);
    std::fputc('\n', stderr);
    std::abort();
}

// Saves the model in the format and reads the save into a document of its own: the save
// must read whole and save the same bytes again. The oldest format keeps a camera as its eye
// and a unit direction, which a read turns back into a target: the last bits of the
// direction may move from save to save, so there the second save need only read whole.
inline void SaveAndReadAgain(CTarnwickModel& model, int format)
{
    const ModelBytes saved = SavedWithoutStamp(model, format);
    CBaseDoc again;
    try {
        ReadModelBytes(saved, again.GetModel());
    } catch (const CException&) {
        Fail("the model's save does not read");
    }
    if (again.GetModel().GetLoadStatus() != CTarnwickModel::kLoadOk) {
        Fail("the model's save does not read as a model");
    }
    (void)Visit(again.GetModel());
    const ModelBytes resaved = SavedWithoutStamp(again.GetModel(), format);
    if (format == 3000) {
        CBaseDoc third;
        try {
            ReadModelBytes(resaved, third.GetModel());
        } catch (const CException&) {
            Fail("the model's second save does not read");
        }
        return;
    }
    if (resaved != saved) {
        const auto at = std::mismatch(saved.begin(), saved.end(), resaved.begin(), resaved.end());
        std::fprintf(stderr, "format %d: %zu and %zu bytes, first difference at byte %td\n", format, saved.size(),
                     resaved.size(), at.first - saved.begin());
        // GLIMRA_FUZZ_SAVES=PREFIX keeps both saves (PREFIX1.twk, PREFIX2.twk) for a look.
        if (const char* prefix = std::getenv("GLIMRA_FUZZ_SAVES")) {
            Keep(saved, std::string(prefix) + "1.twk");
            Keep(resaved, std::string(prefix) + "2.twk");
        }
        Fail("the model's save, read and saved again, differs");
    }
}

}  // namespace modeluse
