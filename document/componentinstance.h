#pragma once
// CComponentInstance: one placement of a component definition in a component. The
// definition's entities live once; every instance shows them under its own
// transformation. The definition lists its instances; an instance only points at its
// definition and does not own it. Groups and images are instances too.

#include <vector>

#include "foundation/transformation.h"
#include "model/drawingelement.h"
#include "platform/cstring.h"

class CComponentBehavior;
class CComponentDefinition;
struct CVector3d;

class CComponentInstance : public CDrawingElement
{
    DECLARE_SERIAL(CComponentInstance)

public:
    // No definition, the identity transformation, no name and no material.
    CComponentInstance();
    // Undo snapshot: the same definition, transformation and name; the copy is not
    // registered with the definition.
    CComponentInstance(const CComponentInstance& other);
    ~CComponentInstance() override;

    // Reads or writes the instance record. Reading registers the instance with the
    // definition it names. Throws the archive exception on bad input.
    void Serialize(CArchive& ar) override;
    // Leaves the definition's instance list, then erases the element.
    void Erase() override;
    // Records the change and places the instance by the argument after its own
    // transformation.
    void Transform(const CTransformation& transform) override;
    [[nodiscard]] CEntity* Clone() const override;
    // The other entity must be an instance.
    void SwapData(CEntity& other) override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;
    // The definition's entities under the argument after the instance transformation.
    void AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const override;
    // Draws the definition under the transformation, handing down material and layer
    // (componentinstancedraw.cpp).
    void Draw(ITarnisView* view) override;
    // The definition's pick drawing under the transformation, with the layers handed
    // down and the instance entered on the view's path.
    void DrawIfShown(ITarnisView* view) override;
    // ExtendBoundingBox.
    void GetExtents(CBoundingBox3d& box) const override;
    // The definition's bounds carried by the instance transformation; for a definition
    // that faces the camera, a box that holds it at every turn about z. Nothing without
    // a definition (componentinstancedraw.cpp).
    void ExtendBoundingBox(CBoundingBox3d& box) const;
    // Whether the filter's volume may hold anything of the instance: its definition's
    // bounds carried by the transformation, grown by a tenth of their diagonal for a
    // definition that holds a section plane; always for a definition with a
    // construction line, which reaches beyond any box.
    [[nodiscard]] bool IsPickable(const orvell::geometry::IGeomFilter* filter) const override;
    // The transformation the instance casts its shadow with: for a definition that
    // faces the camera and whose shadows face the sun, turned about z so that its y axis
    // points along the light (a direction in the parent's coordinates); otherwise the
    // transformation itself. The instance is not changed.
    [[nodiscard]] CTransformation GetShadowTransform(const CVector3d& light) const;
    // Whether the definition's behaviour turns the instance to face the camera.
    [[nodiscard]] bool FacesCamera() const { return GetFacingBehavior() != nullptr; }
    // The definition's answer for the line carried into its coordinates, the point
    // carried back.
    [[nodiscard]] int IntersectLine(const CLine3d& line, CPoint3d& point) const override;
    // Picks the definition with the ray carried into its coordinates; on a hit the
    // instance and then the path inside it are appended.
    [[nodiscard]] bool IntersectPickRay(const CBoundedLine3d& ray, double pixelScale, CPoint3d& hitPoint,
                                        double& hitParameter, CInstancePath* hitPath, bool skipHidden) const override;
    // SelectionTest (instanceselection.cpp).
    [[nodiscard]] bool IsSelectedBy(IPickHelper* selector, const CInstancePath* path) const override;
    // Whether a window holds, or a crossing touches, the instance. A window needs every
    // corner of the definition's box that the section planes in force keep; a crossing
    // needs one such corner and a shown entity of the definition that the rectangle
    // holds (the definition's cutting plane counts at once). cutAway, when given, is set
    // when the section planes keep no corner. Point picks select nothing here.
    [[nodiscard]] bool SelectionTest(IPickHelper* selector, bool* cutAway) const;
    [[nodiscard]] bool CanHaveMaterial() const override;
    [[nodiscard]] bool IsInstance() const override;
    // The definition; null without one.
    [[nodiscard]] const CComponent* GetNestedComponent() const override;
    // What the placement draws around its content (state, transformation, bounds box
    // and axes); the content is weighed with its definition.
    [[nodiscard]] std::uint64_t GetDrawingWeight(bool shadows) const override;

    // The entities glued to the instance hear that their geometry changed.
    virtual void OnTransformChanged();
    // Replaces the instance by copies of its definition's entities in its component
    // (see ExplodeInstance) and answers them. The caller's flag is for the kinds of
    // instance that need it; onlyInstance lets an unused definition go.
    virtual std::vector<CEntity*> Explode(bool callerFlag, bool onlyInstance);
    // The visitor's instance callback with the definition's name, the transform, the
    // inherited colour and the effective layer.
    bool Accept(IEntityVisitor* visitor) override;
    // The own material's colour, else the visitor's current colour; 0 when neither.
    [[nodiscard]] CColor GetInheritedMaterialColor(const IEntityVisitor* visitor) const;
    // True when the definition lists exactly one instance.
    [[nodiscard]] virtual bool IsUnique() const;
    // Re-derives the cached flags of a transformation flagged as a pure rotation.
    virtual void RefreshTransformFlags();

    [[nodiscard]] CComponentDefinition* GetDefinition() const { return m_definition; }
    // The field alone: the definition keeps its instance list and calls this.
    void SetDefinitionField(CComponentDefinition* definition);

    // Records the change, then stores the transformation and refreshes.
    void SetTransform(const CTransformation& transform);
    void GetTransform(CTransformation& out) const { out = m_transform; }
    [[nodiscard]] const CTransformation& GetTransform() const { return m_transform; }
    // Replaces the per-axis scales of the transformation.
    void SetScales(const CVector3d& scales);
    // Rebuilds the axes as unit axes at right angles, keeping the scales and origin.
    void Orthonormalise();
    // True when a relationship of an enclosing component names the instance.
    [[nodiscard]] bool HasRelationships() const;

    [[nodiscard]] const CString& GetName() const { return m_name; }
    void SetName(const CString& name);

    // Pushes the definition's and then the instance's own material (when asked) and
    // layer; answers what was pushed for PopInherited. Also for walks that judge the
    // definition's entities as drawn through the instance.
    int PushInherited(ITarnisView* view, bool materials) const;
    static void PopInherited(ITarnisView* view, int pushed);

protected:
    // The transformation itself, without recording or refreshing.
    void SetTransformField(const CTransformation& transform) { m_transform = transform; }
    void SwapInstanceData(CComponentInstance& other);

private:
    // Turns the stored transformation about its z axis so that its y axis points along
    // the camera's view, for definitions that always face the camera, unless the
    // definition is being edited.
    void FaceCamera(ITarnisView* view);
    // A selected instance shows no box where the view hides what lies outside the
    // component being edited.
    [[nodiscard]] static bool IsSelectionBoxHidden(ITarnisView* view);
    // For a definition that faces the camera, the bounds become a box that holds them at
    // every turn about z.
    void HoldEveryTurn(CBoundingBox3d& bounds) const;
    // Whether a shown entity of the definition passes the crossing's test; the section
    // plane given is met at once.
    [[nodiscard]] bool TouchesShownEntity(IPickHelper* selector, const CDrawingElement* section) const;
    // The definition's behaviour when it faces the camera, else null.
    [[nodiscard]] const CComponentBehavior* GetFacingBehavior() const;
    // An instance on the model's active path places the same definition.
    [[nodiscard]] bool IsDefinitionBeingEdited() const;
    void ReadRecord(CArchive& ar);
    void WriteRecord(CArchive& ar) const;
    void StoreTransform(const CTransformation& transform);
    // An instance glued to a face stands on the face's plane with z along its normal.
    int CheckGluedPlacement(int mode);

    CComponentDefinition* m_definition = nullptr;
    CTransformation m_transform;
    CString m_name;
};

// Reads an object reference that must be a component instance of any kind (null
// allowed); another class is the archive exception badClass.
[[nodiscard]] CComponentInstance* ArchiveReadComponentInstance(CArchive& ar);
