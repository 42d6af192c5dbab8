#pragma once
// IModelView: the services a view offers to the code that draws into it: the model
// and the camera, pixel and screen measures, the cached GL state setters and
// primitives, the stacks of inherited layers, materials and lighting modes that
// nested instances push, and the fading of what lies outside the component being
// edited. Entities reach it through the view pointer their draw operation receives.
//
// Screen points are window coordinates in pixels; depths run from 0 to 1.
// Primitive modes and depth functions are the GL enumerants, passed as unsigned.

#include <cstdint>
#include <map>
#include <memory>

#include "foundation/boundingbox3d.h"
#include "foundation/color.h"
#include "foundation/line3d.h"
#include "foundation/point2d.h"
#include "foundation/point3d.h"
#include "foundation/vector3d.h"
#include "platform/cstring.h"
#include "drawapi/camerastate.h"
#include "drawapi/drawingbase.h"
#include "drawapi/gltextimagecache.h"
#include "drawapi/plainline.h"
#include "drawapi/transparencysorter.h"

struct CPlane3d;
class CCamera;
class CComponentInstance;
class CDrawingElement;
class CFace;
class CInstancePath;
class CLayer;
class CMaterial;
class CRenderingOptions;
class CTarnwickModel;
class CTwFont;
class CViewDefinition;

// Material names and the keys "BackgroundColor" and "GroundPlaneColor", mapped to
// the colour drawn in their place.
using CColorOverrideMap = std::map<CString, CColor>;

class IModelView : public virtual IDrawingBase
{
public:
    // Drawing modes answered by GetDrawMode.
    static constexpr int kDrawModeNormal = 0;
    // Drawing for GL selection: elements load their names before they draw.
    static constexpr int kDrawModeSelection = 3;
    // Texts count as visible and screen texts never match a selection.
    static constexpr int kDrawModeTextVisible = 4;
    // The drawing level of a frame at full quality.
    static constexpr int kFullDrawingLevel = 8;
    // The lowest level that draws faces: below it every edge is drawn as a plain line
    // and faces are left out.
    static constexpr int kLowestFaceLevel = 3;
    // The lowest level that draws textures.
    static constexpr int kLowestTextureLevel = 4;

    // Draws a frame now when a model is attached and tells the observers.
    virtual void RefreshView(int argument, bool swap) = 0;
    [[nodiscard]] virtual CTarnwickModel* GetModel() const = 0;
    // Attaching holds one reference; the previous model is released.
    virtual void SetModel(CTarnwickModel* model) = 0;

    // --- camera and measures ---
    [[nodiscard]] virtual const CViewDefinition& GetViewDefinition() const = 0;
    [[nodiscard]] virtual CCameraState GetCameraState() const = 0;
    // Moves the camera there, animated over the given seconds (0: at once).
    virtual void SetCamera(const CCamera& camera, double seconds) = 0;
    // The model-space line through a window point.
    [[nodiscard]] virtual CLine3d GetPickRay(const CPoint2d& screenPoint) const = 0;
    // The model length that the given number of pixels covers at the point; 0 for
    // fewer than one pixel.
    [[nodiscard]] virtual double PixelsToModelLength(double pixels, const CPoint3d& point) const = 0;
    // That length measured along each axis of the current local frame.
    [[nodiscard]] virtual CVector3d GetModelUnitsPerPixel(const CPoint3d& point, double pixels) const = 0;
    // Returns the previous scale; printing scales pixels up.
    virtual double SetPixelScale(double scale) = 0;
    [[nodiscard]] virtual double GetPixelScale() const = 0;
    // A local model point to window x, y and depth; false (window point unchanged)
    // when the point cannot be projected.
    virtual bool ModelToScreen(const CPoint3d& modelPoint, CPoint3d& screenPoint) const = 0;
    // Window x, y and depth to a local model point; false when it cannot be mapped.
    virtual bool ScreenToModel(const CPoint3d& screenPoint, CPoint3d& modelPoint) const = 0;

    // --- frame state ---
    [[nodiscard]] virtual int GetInteractionMode() const = 0;
    // 8 at full quality, lower while navigation frames must stay fast.
    [[nodiscard]] virtual int GetDrawingLevel() const = 0;
    [[nodiscard]] virtual double GetLastFrameTime() const = 0;
    [[nodiscard]] virtual double GetLastFullFrameTime() const = 0;
    [[nodiscard]] virtual double GetAverageFrameTime() const = 0;
    virtual void SetAnimationInterval(double seconds) = 0;
    // See the kDrawMode constants.
    [[nodiscard]] virtual int GetDrawMode() const = 0;
    // The level leaves faces out and draws every edge as a plain line; picking still
    // finds everything.
    [[nodiscard]] bool DrawsEdgesAlone() const
    {
        return GetDrawingLevel() < kLowestFaceLevel && GetDrawMode() != kDrawModeSelection;
    }
    virtual void SetDrawMode(int mode) = 0;
    // Face render mode: 0 wireframe, 1 hidden line, 2 shaded, 5 monochrome ...
    [[nodiscard]] virtual int GetRenderMode() const = 0;
    // The number of the drawing pass running now.
    [[nodiscard]] virtual int GetPassNumber() const = 0;
    virtual void SetSecondPassMode(bool on) = 0;
    // Switched on around texts and dimensions.
    virtual void SetTextMode(bool on) = 0;
    // While set, components draw every entity without the pickable test.
    [[nodiscard]] virtual bool IsDrawingEverything() const = 0;
    // True once the frame being drawn is given up (its work has passed the frame's
    // budget, or the program is asked to end): the walks enter no more instances and
    // elements that draw much stop part way, so that such a frame ends in moments.
    [[nodiscard]] virtual bool IsFrameAbandoned() const { return false; }
    [[nodiscard]] virtual bool IsPrinting() const = 0;
    // Bracket the drawing of one element.
    virtual void BeginElement(CDrawingElement* element) = 0;
    virtual void EndElement() = 0;
    // Bracket a part of the element being drawn (index 0 and up), so that a pick tells
    // which part was hit; nothing outside drawing for selection.
    virtual void BeginSubElement(int index) = 0;
    virtual void EndSubElement() = 0;

    // --- primitives and lines ---
    // Consecutive line requests share one open batch.
    virtual void BeginPrimitive(unsigned mode) = 0;
    virtual void EndPrimitive() = 0;
    virtual void Vertex(double x, double y, double z) = 0;
    virtual void VertexV(const CPoint3d& point) = 0;
    virtual void SetDepthFunction(unsigned function) = 0;
    [[nodiscard]] virtual unsigned GetDepthFunction() const = 0;
    // A segment, clipped by the active section planes.
    virtual void DrawLine(const CPoint3d& start, const CPoint3d& end) = 0;
    // Draws the lines in order, each as BeginElement, SetLighting(false), SetColor,
    // SetLineStipple, SetLineWidth, its two vertices in GL_LINES, the stipple set back
    // and EndElement would; false, drawing nothing, where the view takes lines only
    // through those calls (the caller then makes them).
    virtual bool DrawPlainLines(const CPlainLine* /*lines*/, std::size_t /*count*/) { return false; }
    virtual void DrawStyledLine(const CPoint3d& start, const CPoint3d& end, double width,
                                const CColor& color, std::uint16_t stipple) = 0;
    virtual void DrawArrow(const CPoint3d& start, const CPoint3d& end, const CColor& color,
                           std::uint16_t stipple, bool headAtStart, bool headAtEnd) = 0;
    // An unbounded line (bothDirections) or a ray through the point, clipped to the
    // view volume.
    virtual void DrawRayLine(const CPoint3d& point, const CVector3d& direction, std::uint16_t stipple,
                             bool bothDirections, const CColor& color, double width) = 0;
    // The twelve edges of a box, or short marks at its corners.
    virtual void DrawBox(const CBoundingBox3d& box) = 0;
    virtual void DrawBoxCorners(const CBoundingBox3d& box) = 0;
    // A text block at a model position; plane null keeps it facing the screen.
    virtual void DrawText(CTwFont* font, const CPoint3d& position, const CString& text, int placement,
                          int alignment, unsigned flags, const CPlane3d* plane, bool flip,
                          IGLTextImageCache* cache) = 0;
    // The depth buffer's value (0 near, 1 far) at a window pixel, its rows counted
    // downwards as ModelToScreen gives them; false outside the viewport or without a
    // context.
    virtual bool ReadWindowDepth(int x, int y, double& depth) const = 0;
    // A picture of 24 (blue, green, red) or 32 (blue, green, red, alpha) bits a pixel,
    // rows from the bottom, tightly packed, drawn unscaled with its lower-left corner at
    // the model point's window position.
    virtual void DrawPixels(const CPoint3d& position, int width, int height, int bitsPerPixel,
                            const std::uint8_t* pixels) = 0;
    // Text at window coordinates (y downwards) in the view font.
    virtual void DrawScreenText(int x, int y, const CString& text) = 0;
    // An empty cache for a label that DrawText draws: one texture (reduced when larger
    // than 1024 pixels) or, tiled, a grid of textures at full size.
    [[nodiscard]] virtual std::unique_ptr<IGLTextImageCache> CreateTextImageCache(bool tiled) = 0;

    // --- cached GL state ---
    // Width 1, no stipple, lighting off, opaque black.
    virtual void ResetLineState() = 0;
    virtual void SetLineWidth(double width) = 0;
    [[nodiscard]] virtual double GetLineWidth() const = 0;
    [[nodiscard]] virtual double GetLineWidthScale() const = 0;
    virtual void SetLineWidthScale(double scale) = 0;
    // The output pixels a text takes for each pixel it has on the screen: 1 on the
    // screen, more where the output's pixels are finer (a print keeps texts their size
    // on the screen whatever its line widths).
    [[nodiscard]] virtual double GetTextPixelScale() const = 0;
    virtual void SetTextPixelScale(double scale) = 0;
    // 0 switches stippling off.
    virtual void SetLineStipple(std::uint16_t pattern) = 0;
    [[nodiscard]] virtual std::uint16_t GetLineStipple() const = 0;
    [[nodiscard]] virtual bool IsLineStippled() const = 0;
    // False when lighting was asked for but is suppressed (then it is switched off).
    virtual bool SetLighting(bool on) = 0;
    virtual void ResetPolygonOffset() = 0;
    // The colour passes through FadeColor first; the zero colour changes nothing.
    virtual void SetColor(const CColor& color) = 0;
    virtual void SetColorComponents(double red, double green, double blue, double alpha) = 0;
    [[nodiscard]] virtual CColor GetColor() const = 0;
    // Applies a material to the faces that follow; the texture planes are four
    // doubles each and may be null.
    virtual void SetMaterial(CMaterial* material, const double* sPlane, const double* tPlane) = 0;
    // Null removes the table; the view does not own it.
    virtual void SetColorOverrides(const CColorOverrideMap* table) = 0;
    [[nodiscard]] virtual bool GetForceState() const = 0;
    // While set, every setter applies its state even when the cache holds it.
    virtual void SetForceState(bool force) = 0;
    virtual void SetupFog(bool on) = 0;
    // Switches a GL capability (GL_DEPTH_TEST, GL_BLEND, GL_POLYGON_STIPPLE ...) and
    // answers whether it was on before.
    virtual bool SetCapability(unsigned capability, bool on) = 0;
    virtual void SetBlendFunction(unsigned source, unsigned destination) = 0;
    // Answers whether depth writes were on before.
    virtual bool SetDepthMask(bool write) = 0;
    // A 32 by 32 pattern of 128 bytes, rows from the bottom; used while
    // GL_POLYGON_STIPPLE is on.
    virtual void SetPolygonStipple(const std::uint8_t* pattern) = 0;
    // Smooth, blended lines; only while the options ask for smooth edges.
    virtual void BeginBlending(bool on) = 0;
    // False while the options do not allow blending.
    [[nodiscard]] virtual bool CanBlend() const = 0;
    virtual void SetLightIntensities(double ambientPercent, double diffusePercent) = 0;
    virtual void InitGLState() = 0;
    // The view's context was replaced: GL names of the old one are forgotten (the
    // model's display resources, the view's lists and font), the state cache starts
    // anew, InitGLState runs and "ResetOpenGLNotification" is posted with the view.
    virtual void ResetOpenGL() = 0;
    virtual void SetLightingSuppressed(bool suppressed) = 0;
    virtual void SetPolygonOffsetByDisabling(bool disable) = 0;
    virtual void SetFlatColorMode(bool on) = 0;
    virtual void SetGroundRequest(bool request) = 0;
    [[nodiscard]] virtual bool GetGroundRequest() const = 0;
    virtual void SetProjectionArgument(bool value) = 0;
    // A two-state switch read by the box and thumbnail drawing.
    [[nodiscard]] virtual int GetDrawingSwitch() const = 0;
    virtual void SetDrawingSwitch(int value) = 0;

    // --- display lists ---
    [[nodiscard]] virtual bool UsesDisplayLists() const = 0;
    // The list being compiled now; 0 when none.
    [[nodiscard]] virtual unsigned GetCompilingDisplayList() const = 0;
    virtual void SetCompilingDisplayList(unsigned list) = 0;

    // --- colours and options ---
    // The options in force: a display override page's, else the model's; null
    // without a model.
    [[nodiscard]] virtual CRenderingOptions* GetRenderingOptions() const = 0;
    [[nodiscard]] virtual CColor GetForegroundColor() const = 0;
    [[nodiscard]] virtual CColor GetBackgroundColor() const = 0;
    // 1 red, 2 green, 3 blue, 7 and 8 magenta; other indices the foreground colour.
    [[nodiscard]] virtual CColor GetAxisColor(int index) const = 0;
    // The colour of the drawing axis a segment runs along, else the foreground colour.
    [[nodiscard]] virtual CColor GetDirectionColor(const CPoint3d& start, const CPoint3d& end) const = 0;
    [[nodiscard]] virtual CMaterial* GetDefaultMaterial() const = 0;
    [[nodiscard]] virtual CTwFont* GetViewFont() const = 0;
    // Perspective: the eye is at least 0.001 above z = 0; parallel: the view does not
    // look up by 0.001 or more.
    [[nodiscard]] virtual bool IsEyeAboveGround() const = 0;

    // --- sorted transparency ---
    // A sorter with room for the count: quality 1 sorts by the distance of box centres,
    // 2 by depth with pairwise overlap tests; null for any other quality. bounds: the
    // box of what will be added, in the current space (the view may then reuse an order
    // found for another placement); empty when not known.
    [[nodiscard]] virtual std::unique_ptr<ITransparencySorter> CreateTransparencySorter(
        int quality, int capacity, const CBoundingBox3d& bounds) = 0;
    // In the lit pass of the stencil shadows: a face the volume walk marked as lying
    // along the terminator of a smooth surface, drawn also where its neighbours'
    // volumes shade it.
    virtual void DrawTerminatorFace(CFace* face) = 0;
    // --- inherited layers and materials of the instances being drawn ---
    // Tops of the stacks; null when empty. Pops of empty stacks do nothing.
    [[nodiscard]] virtual CLayer* GetCurrentLayer() const = 0;
    virtual void PushLayer(CLayer* layer) = 0;
    virtual void PopLayer() = 0;
    [[nodiscard]] virtual CMaterial* GetCurrentMaterial() const = 0;
    virtual void PushMaterial(CMaterial* material) = 0;
    virtual void PopMaterial() = 0;

    // --- instances and the fading of what is not being edited ---
    virtual void EnterInstance(CComponentInstance* instance) = 0;
    virtual void LeaveInstance() = 0;
    [[nodiscard]] virtual int GetInstancePathDepth() const = 0;
    [[nodiscard]] virtual const CInstancePath& GetInstancePath() const = 0;
    // 0 and 1 normal, 2 faded, 3 faded with dimmed light; 0 when the stack is empty.
    static constexpr int kLightingModeFaded = 2;
    static constexpr int kLightingModeDimmed = 3;
    [[nodiscard]] virtual int GetLightingMode() const = 0;
    virtual void PushLightingMode(int mode) = 0;
    virtual void PopLightingMode() = 0;
    // Pushes the edit state for the model's walk: faded while a component is edited.
    virtual void PushComponentLightingMode(CTarnwickModel* model) = 0;
    virtual void PopComponentLightingMode() = 0;
    [[nodiscard]] virtual bool IsFadedLightingMode() const = 0;
    // The colour blended towards the background as the lighting mode asks.
    [[nodiscard]] virtual CColor FadeColor(const CColor& color) const = 0;
    // True when the element is not drawn in the current lighting mode (never for
    // component instances, groups and images), and for an instance of a component whose
    // instance is being drawn already, so that a component placing itself ends the walk.
    [[nodiscard]] virtual bool IsHiddenByLightingMode(const CDrawingElement* element) const = 0;

    // --- what the window tells; the core alone answers as here ---
    // The window's pixel format is hardware accelerated.
    [[nodiscard]] virtual bool IsAccelerated() const { return true; }
    // Pixels per inch of the window across and down; 0, 0 without a window.
    virtual void GetScreenResolution(int& x, int& y) const
    {
        x = 0;
        y = 0;
    }
    // Set while print preparation gathers the model's extents.
    [[nodiscard]] virtual bool GetExtentsPass() const { return false; }
    virtual void SetExtentsPass(bool /*pass*/) {}
};
