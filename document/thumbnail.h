#pragma once
// CThumbnail: the small picture of a component definition and the camera it was taken
// from. When it loses its picture it posts "Thumbnail Cleared", so that whoever shows
// it can render it again.

#include "document/camera.h"
#include "model/entity.h"

class CDib;

class CThumbnail : public CEntity
{
    DECLARE_SERIAL(CThumbnail)

public:
    // No picture; the camera looks from (0, 0, 1) along +z.
    CThumbnail();
    // The camera is copied, the picture is not.
    CThumbnail(const CThumbnail& other);
    // Releases nothing: the picture goes with Erase, as entities end through it.
    ~CThumbnail() override;

    // Reading: the camera in place (class version 0) or by reference, then the picture
    // by reference; an empty picture is dropped, one that did not decode is kept with its
    // bytes. Writing: the camera and the picture by reference (an empty picture as null);
    // save format 3000 writes the camera in place. Throws the archive exception on bad
    // input.
    void Serialize(CArchive& ar) override;
    // Releases the picture, then erases the entity.
    void Erase() override;
    [[nodiscard]] CEntity* Clone() const override;
    // Exchanges the cameras; drops the picture and posts "Thumbnail Cleared".
    void SwapData(CEntity& other) override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    [[nodiscard]] const CCamera& GetCamera() const { return m_camera; }
    // Records the change and copies the camera.
    void SetCamera(const CCamera& camera);
    [[nodiscard]] CDib* GetImage() const { return m_image; }
    // Releases the previous picture and holds a use of the new one; with null posts
    // "Thumbnail Cleared".
    void SetImage(CDib* image);

private:
    void Read(CArchive& ar);
    void Write(CArchive& ar);
    void DropImage();

    CCamera m_camera;
    CDib* m_image = nullptr;
};

// The class factory.
[[nodiscard]] CObject* CreateThumbnail();
