#pragma once
// CComponentBehavior: how a component is placed and shown — whether it glues to a
// surface and to which kind, whether it cuts an opening where it sits, whether it always
// faces the camera and whether its shadows then face the sun. The model holds one for
// its top level and every component definition holds one.

#include "model/entity.h"

class CComponentBehavior : public CEntity
{
    DECLARE_SERIAL(CComponentBehavior)

public:
    static constexpr int kMaxGlueTo = 3;

    // Not glued, glue-to kind 0, no opening, no facing.
    CComponentBehavior();
    CComponentBehavior(const CComponentBehavior& other);
    ~CComponentBehavior() override;

    // Reading takes the record's layout from the class version and, for the shadow
    // flag, from the version of the file being read (GetFileVersionInfo). A glue-to kind
    // outside 0..3 reads as 0. Throws the archive exception on bad input.
    void Serialize(CArchive& ar) override;
    [[nodiscard]] CEntity* Clone() const override;
    // The other entity must be a component behaviour.
    void SwapData(CEntity& other) override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    // Records the change, then clears all five values.
    void Reset();

    [[nodiscard]] bool IsGlued() const { return m_glued; }
    [[nodiscard]] int GetGlueTo() const { return m_glueTo; }
    [[nodiscard]] bool CutsOpening() const { return m_cutsOpening; }
    [[nodiscard]] bool AlwaysFacesCamera() const { return m_facesCamera; }
    [[nodiscard]] bool ShadowsFaceSun() const { return m_shadowsFaceSun; }

    // Each records the change first.
    void SetGlued(bool glued, int glueTo);
    void SetCutsOpening(bool cuts);
    void SetAlwaysFacesCamera(bool faces);
    void SetShadowsFaceSun(bool faces);

private:
    void Read(CArchive& ar);
    void Write(CArchive& ar) const;
    void ReadFacingBits(BYTE bits);

    bool m_glued = false;
    int m_glueTo = 0;
    bool m_cutsOpening = false;
    bool m_facesCamera = false;
    bool m_shadowsFaceSun = false;
};

// The class factory.
[[nodiscard]] CObject* CreateComponentBehavior();
