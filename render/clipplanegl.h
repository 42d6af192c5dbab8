#pragma once
// CClipPlaneGL: the GL user clip planes that the section clip stack switches, loaded
// into the current context. Stateless; one instance serves every view.

#include "annotations/sectionclipstack.h"

class CClipPlaneGL : public IClipPlaneGL
{
public:
    void EnableClipPlane(int index) override;
    void DisableClipPlane(int index) override;
    void LoadClipPlane(int index, const CPlane3d& equation) override;
    [[nodiscard]] int GetMaxClipPlanes() const override;

    // The instance the drawing contexts share.
    [[nodiscard]] static CClipPlaneGL& Get();
};
