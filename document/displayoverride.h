#pragma once
// CDisplayOverride: changes the model's display for a picture made away from the window
// (a printed sheet) and gives it back afterwards. While installed the drawing axes, the
// instance axes, blending of translucent fills, the component-edit display, tool
// feedback and the selection's highlight are off; on request the picture also takes
// printing colours (white background, black lines, no sky or ground, no edge effects),
// drops shadows, or hides annotations. Restore (or the destructor) gives the model back
// everything it had and posts "DisplayOverrideRestoreNotification" with the view.
// Nothing of it is recorded for undo.
#include "document/renderingoptions.h"

#include <memory>

class CTarnwickModel;
class ITarnisView;

class CDisplayOverride
{
public:
    // Bits of the request.
    static constexpr int kPrintColours = 1;
    static constexpr int kNoShadows = 2;
    static constexpr int kHideAnnotations = 4;

    CDisplayOverride() = default;
    // Installs at once; nothing happens without a view or without a model in it.
    CDisplayOverride(ITarnisView* view, int flags);
    ~CDisplayOverride();
    CDisplayOverride(const CDisplayOverride&) = delete;
    CDisplayOverride& operator=(const CDisplayOverride&) = delete;

    // Once; later calls do nothing.
    void Restore();
    [[nodiscard]] bool IsInstalled() const { return m_view != nullptr; }

private:
    void Install(int flags);
    static void ApplyPrintColours(CRenderingOptions& options);

    ITarnisView* m_view = nullptr;
    CTarnwickModel* m_model = nullptr;
    std::unique_ptr<CRenderingOptions> m_savedOptions;
    bool m_savedAxes = true;
    bool m_savedShadows = true;
    bool m_savedSecondShadowSwitch = false;
};
