#include "document/materialsshown.h"

#include "document/dib.h"
#include "document/drawingwork.h"
#include "document/material.h"
#include "document/texture.h"
#include "document/texturegl.h"
#include "foundation/framemeter.h"
#include "model/drawingelement.h"
#include "model/entity.h"
#include "model/face.h"

void CMaterialsShown::Add(const CDrawingElement& entity)
{
    Add(entity.GetMaterial());
    if (entity.GetTypeId() == kTypeFace) {
        Add(static_cast<const CFace&>(entity).GetBackMaterial());
    }
}

void CMaterialsShown::Add(const CMaterial* material)
{
    // Neighbouring entities mostly show the same material.
    if (material != nullptr && material != m_last) {
        m_materials.insert(material);
        m_last = material;
    }
}

std::uint64_t CMaterialsShown::GetPictureWork() const
{
    std::uint64_t work = 0;
    std::int64_t room = GetTextureMemoryBudget();
    for (const CMaterial* material : m_materials) {
        const CTexture* texture = material->GetTexture();
        const CDib* picture = texture != nullptr ? texture->GetImage() : nullptr;
        int width = 0;
        int height = 0;
        if (picture != nullptr) {
            picture->GetSizeToDecode(width, height);
        }
        const std::uint64_t decoded = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
        if (decoded == 0 || !FitTextureBudget(width, height, room)) {
            continue;
        }
        const std::int64_t bytes = TextureBytes(width, height);
        room -= bytes;
        const auto prepared = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
        work = CDrawingWork::AddWork(work, CDrawingWork::AddWork(
                                               CFrameMeter::PixelUnits(decoded, CFrameMeter::kDecodedPixelsPerUnit),
                                               CFrameMeter::PixelUnits(prepared, CFrameMeter::kDecodedPixelsPerUnit)));
    }
    return work;
}
