#pragma once
// CTarnisView: the model view. It holds what a frame of the open model needs: the
// model, the view definition with its camera, the GL state it last set, the drawing
// stacks, the frame-time statistics and the running animation, and offers them through
// ITarnisView (tools, the application), IModelView (entities drawing themselves) and
// IDrawingBase (the drawing context). The application's view derives from it together
// with the GL window and fills the window hooks (redraw, buffer swap, timer, capture,
// status text), which do nothing here.
//
// The GL state services cache what they set and skip redundant calls; nothing else may
// change that state behind the view unless it sets the force-state flag or restores
// what it changed. User-interface thread only, with the view's context current for
// every drawing operation.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "document/instancepath.h"
#include "drawapi/tarnisview.h"
#include "foundation/framemeter.h"
#include "render/displaylistmonitor.h"
#include "render/drawingbase.h"
#include "render/drawthrottle.h"
#include "render/edgepasscache.h"
#include "render/framecost.h"
#include "render/transparencyorders.h"
#include "render/gltextimagecache.h"
#include "render/linebatch.h"
#include "render/linerecording.h"
#include "render/picknametable.h"
#include "render/selectionprimitive.h"
#include "render/valueinputbuffer.h"
#include "render/viewdefinition.h"
#include "render/viewmotion.h"

class CComponent;
class CDib;
class CViewPage;

// Set while a tool draws its feedback over the shown frame: no frame is drawn then.
extern bool g_DrawingToolFeedback;

class CTarnisView : public CDrawingBase, public ITarnisView
{
public:
    // A frame slower than this is not interactive: it lowers the level while the camera moves.
    static constexpr double kInteractiveFrameSeconds = 0.25;

    CTarnisView();
    CTarnisView(const CTarnisView&) = delete;
    CTarnisView& operator=(const CTarnisView&) = delete;
    // Clears the filters, finishes the animation, deletes the view's display list and
    // releases the model.
    ~CTarnisView() override;

    // --- the view's own operations ---
    // Copies the definition and restarts the drawing context at its eye.
    void SetViewDefinition(const CViewDefinition& definition);
    // Positive sizes only: the GL viewport and the view definition's.
    void SetViewportSize(int width, int height);
    // A page that the view shows in place of the model's display while it is set: its
    // camera and display settings as its property mask selects, and the rest of what it
    // keeps put into the model around every frame. Returns the page it replaces, which
    // has restored itself (the windows that show display settings hear of it); the
    // caller owns both.
    CViewPage* SetDisplayOverridePage(CViewPage* page);
    [[nodiscard]] CViewPage* GetDisplayOverridePage() const { return m_displayOverridePage; }
    // The culling filter of the whole view (a crossing volume of the frustum planes,
    // grown for thick lines) and the plain crossing volume.
    void PushFrustumFilter();
    void PushFrustumCrossingFilter();
    void DeleteViewDisplayList();
    // The font of the view's own texts, made once: "Tahoma" at height 10 drawn through
    // text images, from the "FontPath" of the "ViewFont" profile section when set.
    CTwFont* CreateViewFont();
    void ReleaseViewFont();
    // The name of a standard view looking along the direction ("Top", "Front" ...);
    // empty for any other direction (tarnisviewtext.cpp).
    [[nodiscard]] static CString GetViewDirectionName(const CVector3d& direction);
    // The options' view-name switch is on and the camera is not being moved.
    [[nodiscard]] bool ShowsScreenText() const;
    // The standard view's name in the top left corner, in the foreground colour.
    void DrawViewNameLabel();
    // The model's watermarks drawn in front of the model, or those behind it.
    void DrawWatermarks(bool inFront);
    [[nodiscard]] const CGLTextImageCache& GetLabelCache() const { return m_labelCache; }
    [[nodiscard]] unsigned GetViewDisplayList() const { return m_viewDisplayList; }
    void SetViewDisplayList(unsigned list) { m_viewDisplayList = list; }
    // When flat-colour mode is on: the initial GL state again, with dithering.
    void RestoreAfterFlatColorMode();
    [[nodiscard]] bool GetProjectionArgument() const { return m_projectionArgument; }
    [[nodiscard]] bool GetBackgroundDetail() const { return m_backgroundDetail; }
    // While set, the depth range holds the shadows on the ground whether or not they
    // are drawn.
    void SetBoundsByte(bool on) { m_boundsByte = on; }
    [[nodiscard]] bool GetBoundsByte() const { return m_boundsByte; }
    // Counts a frame into the statistics the interaction levels read; stopped: it ended
    // before it was whole (input came), and stays out of the average frame time.
    void RecordFrameTime(double seconds, bool stopped = false);
    // The frame lowers the level after slow interactive frames.
    void SetDrawingLevel(int level) { m_drawingLevel = level; }
    // The level the next slow interaction starts from.
    [[nodiscard]] int GetRememberedLevel() const { return m_rememberedLevel; }
    // The level the running interaction asked for; 0 when none asked.
    [[nodiscard]] int GetRequestedLevel() const { return m_requestedLevel; }
    [[nodiscard]] CValueInputBuffer& GetValueInputBuffer() { return m_valueInput; }
    [[nodiscard]] CDisplayListMonitor& GetDisplayListMonitor() { return m_displayListMonitor; }
    // Names of entities and sub-elements in GL selection, valid for one pick.
    [[nodiscard]] CPickNameTable& GetPickNameTable() { return m_pickNames; }
    // The colours of GL_LIGHT0 that lighting modes 0 to 2 restore.
    static void GetLightColors(float ambient[4], float diffuse[4]);
    // Linear fog that the options' two control points ask for over a depth: the fog
    // amount near% and far% of the depth is as given there. Without a usable pair,
    // start 0 and end the depth.
    static void ComputeFogRange(const CRenderingOptions& options, double depth, double& start, double& end);
    // The same from the two distances and fog amounts in percent.
    static void ComputeFogRange(int nearPercent, int farPercent, int nearAmountPercent, int farAmountPercent,
                                double depth, double& start, double& end);

    // --- camera operations (tarnisviewcamera.cpp); each stores the camera in the model
    // and asks for a redraw, and those the user can take back remember the view before ---
    // Looks along the direction with that up vector, about the model point at the centre
    // of the view and from the same distance. Nothing happens when it already does.
    void SetStandardView(const CVector3d& direction, const CVector3d& up);
    void ViewTop();
    void ViewBottom();
    void ViewFront();
    void ViewBack();
    void ViewLeft();
    void ViewRight();
    // The diagonal view nearest the current direction (flatter in perspective).
    void ViewIso();
    [[nodiscard]] static CVector3d ChooseIsoDirection(const CVector3d& current, bool perspective);
    // One notch of the wheel is 1.0; a positive amount (away from the user) zooms in,
    // towards the model point under the window point, in either projection. A turning
    // wheel is an interaction (the view moves) that ends once it has rested.
    void ZoomByWheel(double amount, const CPoint2d& point);
    // Zoom extents over the model's selection.
    void ZoomToSelection();
    // Moves the camera sideways so that the model point under the pixel comes to the
    // viewport centre.
    void CenterOnPoint(const CPoint2d& pixel);
    // The model point under the window point: the nearest hit, else the depth the frame
    // shows around it on the pick line; false when neither is found.
    bool FindPointUnder(const CPoint2d& point, CPoint3d& modelPoint);
    // The model point under the window point as the picture shown has it: the depth the
    // last whole frame drew around the point, read at once; false when it shows nothing.
    bool FindShownPoint(const CPoint2d& point, CPoint3d& modelPoint);
    // While enabled, a window point within 2 pixels of the viewport border starts panning
    // towards that border (unless a pan runs already), and a point inside stops it.
    // Answers whether the point lies in the border.
    bool StartAutopan(int x, int y, unsigned flags);
    void StopAutopan();
    [[nodiscard]] bool IsAutopanning() const { return m_autopan != nullptr; }

    // --- GL selection walks (picking) ---
    // Loads the pick projection of the window rectangle and switches the view to
    // selection drawing: every element drawn from now on names itself, and what lies
    // outside the rectangle is culled. The caller has put GL into selection mode.
    void BeginSelection(const CPoint2d& corner1, const CPoint2d& corner2);
    // Back to normal drawing; the next frame loads the view's own projection.
    void EndSelection();

    // --- moving and still frames (see CViewMotion) ---
    // The view has stood still: an interaction the wheel began ends, and a still frame is
    // asked for unless the picture shown is one. The application's view calls it when
    // the time asked for by ScheduleSettle has passed.
    void OnViewSettled();
    // Another model is shown, or the model's contents were replaced in place (a file
    // opened, File New): what the frames of the last one left goes (what they cost and
    // took, the levels they lowered, the kept lines, transparency orders and pick names,
    // the wheel's point, the report of a cut), and the first frame is still.
    void ForgetLastModel();
    [[nodiscard]] const CViewMotion& GetMotion() const { return m_motion; }
    [[nodiscard]] const CFrameCost& GetFrameCost() const { return m_frameCost; }
    // Whether the next frame is no step of a camera motion going on and may take long
    // enough, by what this model's frames cost, for the user to see the window wait.
    [[nodiscard]] bool IsNextStillFrameSlow() const;

    // --- frame and window hooks; the application's view fills them ---
    // A frame of the view itself (not a band of a picture or a thumbnail) is still or
    // moving (see CViewMotion) and stops for waiting input; one that input stopped shows
    // nothing and is drawn again once the view settles.
    virtual void DrawFrame(int argument, bool swap);
    // What a frame draws: the model's root; a picture of one definition draws that.
    [[nodiscard]] virtual CComponent* GetFrameRoot() const;
    virtual void SwapBuffersHook(int argument);
    virtual void ScheduleAnimationStep();
    virtual void StopAnimationTimer();
    // Asks for OnViewSettled once the seconds have passed without another request (each
    // request replaces the one before). Nothing here: the view alone has no timer.
    virtual void ScheduleSettle(double seconds);
    // A frame of the view is about to stop for waiting input: what came before it was
    // answered, and in a frame that a drag steers (moving is true) the pointer's motion
    // and the wheel do not count. Nothing here; the application's view tells its input
    // probe.
    virtual void ListenForInput(bool moving);
    [[nodiscard]] virtual bool HasStencilBuffer() const;
    // The active tool's own extents, which the depth range must hold; false when it has
    // none. The view alone knows no tool.
    virtual bool GetToolExtents(CBoundingBox3d& box) const;
    [[nodiscard]] virtual int GetStencilBits() const;
    // The active tool's feedback in the frame, before the swap, unless the tool draws it
    // over the shown frame; nothing here (the view has no tools).
    virtual void DrawToolFeedback();
    // The active tool's feedback over the shown frame, after the swap; nothing here.
    virtual void DrawToolOverlay();
    // What was drawn into the front buffer goes to the window now; nothing here.
    virtual void PresentFeedback();
    // The view drawn away from its window into a new stored picture of width × height
    // pixels (made smaller, keeping its shape, when it would not fit the memory budget),
    // lines widened by the factor; the second form draws a part of the projection window
    // (left, right, bottom, top) with the display-override flags asked for. Null here (no
    // window) and whenever it cannot be drawn; the caller owns the picture.
    [[nodiscard]] virtual CDib* RenderToImage(int width, int height, double lineWidthFactor);
    [[nodiscard]] virtual CDib* RenderToImage(int width, int height, double lineWidthFactor, double left, double right,
                                              double bottom, double top, int overrideFlags);
    // The rendering options let tools draw their feedback (display byte 7).
    [[nodiscard]] bool DrawsToolFeedback() const;

    // --- IDrawingBase: the transform stack closes an open batch first ---
    void PushTransform(const CTransformation& t, bool applyToGL) override;
    void PopTransform(bool applyToGL) override;

    // --- IModelView: model, camera and measures ---
    void RefreshView(int argument, bool swap) override;
    [[nodiscard]] CTarnwickModel* GetModel() const override { return m_model; }
    void SetModel(CTarnwickModel* model) override;
    [[nodiscard]] const CViewDefinition& GetViewDefinition() const override { return m_viewDefinition; }
    [[nodiscard]] CViewDefinition& GetViewDefinition() { return m_viewDefinition; }
    [[nodiscard]] CCameraState GetCameraState() const override;
    void SetCamera(const CCamera& camera, double seconds) override;
    [[nodiscard]] CLine3d GetPickRay(const CPoint2d& screenPoint) const override;
    [[nodiscard]] double PixelsToModelLength(double pixels, const CPoint3d& point) const override;
    [[nodiscard]] CVector3d GetModelUnitsPerPixel(const CPoint3d& point, double pixels) const override;
    double SetPixelScale(double scale) override;
    [[nodiscard]] double GetPixelScale() const override { return m_pixelScale; }
    bool ModelToScreen(const CPoint3d& modelPoint, CPoint3d& screenPoint) const override;
    bool ScreenToModel(const CPoint3d& screenPoint, CPoint3d& modelPoint) const override;

    // --- IModelView: frame state ---
    [[nodiscard]] int GetInteractionMode() const override { return m_interactionMode; }
    [[nodiscard]] int GetDrawingLevel() const override { return m_drawingLevel; }
    [[nodiscard]] double GetLastFrameTime() const override { return m_lastFrameTime; }
    [[nodiscard]] double GetLastFullFrameTime() const override { return m_lastFullFrameTime; }
    [[nodiscard]] double GetAverageFrameTime() const override;
    void SetAnimationInterval(double seconds) override;
    [[nodiscard]] double GetAnimationInterval() const { return m_animationInterval; }
    [[nodiscard]] int GetDrawMode() const override { return m_drawMode; }
    void SetDrawMode(int mode) override
    {
        m_drawMode = mode;
        m_nameRoom = -1;
    }
    [[nodiscard]] int GetRenderMode() const override;
    [[nodiscard]] int GetPassNumber() const override { return m_passNumber; }
    // Edges of the second pass are drawn smooth and blended while the options ask for it.
    void SetSecondPassMode(bool on) override;
    void SetTextMode(bool on) override { m_textMode = on; }
    [[nodiscard]] bool IsDrawingEverything() const override { return m_drawingEverything; }
    // Any walk ends early once the frame has spent its budget (see CFrameMeter) or the
    // program is asked to end.
    [[nodiscard]] bool IsFrameAbandoned() const override;
    void SetDrawingEverything(bool on) { m_drawingEverything = on; }
    [[nodiscard]] bool IsPrinting() const override { return m_printing; }
    void SetPrinting(bool on) { m_printing = on; }
    void BeginElement(CDrawingElement* element) override;
    void EndElement() override;
    void BeginSubElement(int index) override;
    void EndSubElement() override;

    // --- IModelView: primitives and lines ---
    void BeginPrimitive(unsigned mode) override;
    void EndPrimitive() override;
    void Vertex(double x, double y, double z) override;
    void VertexV(const CPoint3d& point) override;
    void SetDepthFunction(unsigned function) override;
    [[nodiscard]] unsigned GetDepthFunction() const override { return m_depthFunction; }
    void DrawLine(const CPoint3d& start, const CPoint3d& end) override;
    bool DrawPlainLines(const CPlainLine* lines, std::size_t count) override;
    void DrawStyledLine(const CPoint3d& start, const CPoint3d& end, double width, const CColor& color,
                        std::uint16_t stipple) override;
    void DrawArrow(const CPoint3d& start, const CPoint3d& end, const CColor& color, std::uint16_t stipple,
                   bool headAtStart, bool headAtEnd) override;
    void DrawRayLine(const CPoint3d& point, const CVector3d& direction, std::uint16_t stipple, bool bothDirections,
                     const CColor& color, double width) override;
    void DrawBox(const CBoundingBox3d& box) override;
    void DrawBoxCorners(const CBoundingBox3d& box) override;
    void DrawText(CTwFont* font, const CPoint3d& position, const CString& text, int placement, int alignment,
                  unsigned flags, const CPlane3d* plane, bool flip, IGLTextImageCache* cache) override;
    void DrawScreenText(int x, int y, const CString& text) override;
    bool ReadWindowDepth(int x, int y, double& depth) const override;
    void DrawPixels(const CPoint3d& position, int width, int height, int bitsPerPixel,
                    const std::uint8_t* pixels) override;
    [[nodiscard]] std::unique_ptr<IGLTextImageCache> CreateTextImageCache(bool tiled) override;
    [[nodiscard]] int GetOpenPrimitive() const { return m_openPrimitive; }
    // From now on every line draw is also appended to the recording, until
    // StopLineRecording; that answers whether nothing but lines and their state reached
    // GL meanwhile, and notes the line state the view is left in.
    void StartLineRecording(CLineRecording* recording);
    bool StopLineRecording();
    // Draws the recorded lines and leaves the view in the recorded state, as the pass
    // that was recorded did.
    void ReplayLines(const CLineRecording& recording);
    // Something other than lines reaches GL: a recording running now cannot be replayed.
    void SpoilLineRecording();
    [[nodiscard]] CEdgePassCache& GetEdgePassCache() { return m_edgePasses; }
    [[nodiscard]] CTransparencyOrders& GetTransparencyOrders() { return m_transparencyOrders; }
    // One batch of faces or lines went to GL: the frame keeps the driver close behind.
    void NoteBatchDrawn() { m_drawThrottle.NoteDraw(); }

    // --- IModelView: cached GL state ---
    void ResetLineState() override;
    void SetLineWidth(double width) override;
    [[nodiscard]] double GetLineWidth() const override { return m_lineWidth; }
    [[nodiscard]] double GetLineWidthScale() const override { return m_lineWidthScale; }
    void SetLineWidthScale(double scale) override { m_lineWidthScale = scale; }
    [[nodiscard]] double GetTextPixelScale() const override { return m_textPixelScale; }
    void SetTextPixelScale(double scale) override { m_textPixelScale = scale; }
    void SetLineStipple(std::uint16_t pattern) override;
    [[nodiscard]] std::uint16_t GetLineStipple() const override { return m_stipple; }
    [[nodiscard]] bool IsLineStippled() const override { return m_stipple != 0; }
    bool SetLighting(bool on) override;
    [[nodiscard]] bool IsLightingOn() const { return m_lightingOn; }
    void ResetPolygonOffset() override;
    void SetColor(const CColor& color) override;
    void SetColorComponents(double red, double green, double blue, double alpha) override;
    [[nodiscard]] CColor GetColor() const override { return m_color; }
    void SetMaterial(CMaterial* material, const double* sPlane, const double* tPlane) override;
    void SetColorOverrides(const CColorOverrideMap* table) override { m_colorOverrides = table; }
    [[nodiscard]] const CColorOverrideMap* GetColorOverrides() const { return m_colorOverrides; }
    [[nodiscard]] bool GetForceState() const override { return m_forceState; }
    void SetForceState(bool force) override { m_forceState = force; }
    void SetupFog(bool on) override;
    bool SetCapability(unsigned capability, bool on) override;
    void SetBlendFunction(unsigned source, unsigned destination) override;
    bool SetDepthMask(bool write) override;
    void SetPolygonStipple(const std::uint8_t* pattern) override;
    void BeginBlending(bool on) override;
    [[nodiscard]] bool CanBlend() const override;
    void SetLightIntensities(double ambientPercent, double diffusePercent) override;
    void InitGLState() override;
    void ResetOpenGL() override;
    void SetLightingSuppressed(bool suppressed) override { m_lightingSuppressed = suppressed; }
    void SetPolygonOffsetByDisabling(bool disable) override { m_polygonOffsetByDisabling = disable; }
    void SetFlatColorMode(bool on) override { m_flatColorMode = on; }
    [[nodiscard]] bool IsFlatColorMode() const { return m_flatColorMode; }
    void SetGroundRequest(bool request) override { m_groundRequest = request; }
    [[nodiscard]] bool GetGroundRequest() const override { return m_groundRequest; }
    void SetProjectionArgument(bool value) override { m_projectionArgument = value; }
    [[nodiscard]] int GetDrawingSwitch() const override { return m_stateByte; }
    void SetDrawingSwitch(int value) override { m_stateByte = value; }

    // --- IModelView: display lists ---
    [[nodiscard]] bool UsesDisplayLists() const override { return false; }
    [[nodiscard]] unsigned GetCompilingDisplayList() const override { return m_compilingList; }
    void SetCompilingDisplayList(unsigned list) override { m_compilingList = list; }

    // --- IModelView: colours and options ---
    [[nodiscard]] CRenderingOptions* GetRenderingOptions() const override;
    [[nodiscard]] CColor GetForegroundColor() const override;
    [[nodiscard]] CColor GetBackgroundColor() const override;
    [[nodiscard]] CColor GetAxisColor(int index) const override;
    [[nodiscard]] CColor GetDirectionColor(const CPoint3d& start, const CPoint3d& end) const override;
    [[nodiscard]] CMaterial* GetDefaultMaterial() const override { return nullptr; }
    [[nodiscard]] CTwFont* GetViewFont() const override { return m_viewFont; }
    [[nodiscard]] bool IsEyeAboveGround() const override;

    // --- IModelView: inherited layers and materials ---
    [[nodiscard]] CLayer* GetCurrentLayer() const override;
    void PushLayer(CLayer* layer) override { m_layers.push_back(layer); }
    void PopLayer() override;
    [[nodiscard]] CMaterial* GetCurrentMaterial() const override;
    void PushMaterial(CMaterial* material) override { m_materials.push_back(material); }
    void PopMaterial() override;

    // --- IModelView: instances and fading ---
    void EnterInstance(CComponentInstance* instance) override;
    void LeaveInstance() override;
    [[nodiscard]] int GetInstancePathDepth() const override { return m_instancePath.GetCount(); }
    [[nodiscard]] const CInstancePath& GetInstancePath() const override { return m_instancePath; }
    [[nodiscard]] int GetLightingMode() const override;
    void PushLightingMode(int mode) override;
    void PopLightingMode() override;
    void PushComponentLightingMode(CTarnwickModel* model) override;
    void PopComponentLightingMode() override;
    [[nodiscard]] bool IsFadedLightingMode() const override;
    [[nodiscard]] CColor FadeColor(const CColor& color) const override;
    [[nodiscard]] bool IsHiddenByLightingMode(const CDrawingElement* element) const override;

    // --- ITarnisView: selection volumes ---
    void PushWindowInsideFilter(const CPoint2d& corner1, const CPoint2d& corner2) override;
    void PushWindowCrossingFilter(const CPoint2d& corner1, const CPoint2d& corner2) override;
    void PushPickRegionFilter(const CPoint2d& centre, double size) override;

    // --- ITarnisView: camera ---
    void ZoomAboutPoint(const CPoint2d& screenPoint, double factor) override;
    void ZoomFieldOfView(double factor) override;
    void ZoomWindow(const CPoint2d& corner1, const CPoint2d& corner2) override;
    void ZoomToExtents(IEntityIterator* entities) override;
    bool FindViewCenter(CPoint3d& point) override;
    [[nodiscard]] const CViewDefinition& GetSavedViewDefinition() const override { return m_savedViewDefinition; }
    void SaveViewDefinition(const CViewDefinition* source) override;
    void SwapViewDefinitions() override;
    void StoreCamera() override;
    void ApplyViewToGL(int argument, const CBoundingBox2d* pickRegion) override;
    void UpdateViewBounds() override;
    void SetRenderMode(int mode) override;

    // --- ITarnisView: interaction level ---
    void SetInteractionMode(int mode) override;
    void BeginInteraction(int level) override;
    void EndInteraction() override;
    [[nodiscard]] bool IsFastFeedback() override;
    void ResetFrameStatistics() override;
    bool SetAutopanEnabled(bool enabled) override;
    [[nodiscard]] bool IsAutopanEnabled() const { return m_autopanEnabled; }
    bool SetBackgroundDetail(bool detailed) override;

    // --- ITarnisView: window hooks (nothing here) ---
    void Invalidate(bool erase) override;
    void ClientToScreen(CPoint2d& point) const override;
    void ScreenToClient(CPoint2d& point) const override;
    void SetCapture() override;
    void SetStatusText(int pane, const CString& text) override;
    // The text a pane shows; empty here.
    [[nodiscard]] virtual CString GetStatusText(int pane) const;
    void SetValueInputText(const CString& text) override;
    [[nodiscard]] bool GetToolFlag() const override { return m_toolFlag; }
    void SetToolFlag(bool flag) override { m_toolFlag = flag; }

    // --- ITarnisView: animation ---
    void SetAnimation(IAnimation* animation) override;
    [[nodiscard]] IAnimation* GetAnimation() const override { return m_animation; }
    [[nodiscard]] bool IsAnimating() const override;
    void SetAnimationPaused(bool paused) override;
    [[nodiscard]] bool IsAnimationPaused() const override { return m_animationPaused; }
    void DiscardAnimation() override;
    // While a job uses the view (a print, its preview, a picture drawn away from the
    // window) the animation waits: it takes no step, the clock of a timed one stands,
    // and when the last hold ends it goes on from where it stood, so that one job shows
    // one moment of it. Holds nest; a pause the user asked for stays.
    void HoldAnimation();
    void ReleaseAnimation();
    [[nodiscard]] bool IsAnimationHeld() const { return m_animationHolds > 0; }
    class CAnimationHold
    {
    public:
        explicit CAnimationHold(CTarnisView& view) : m_view(view) { m_view.HoldAnimation(); }
        ~CAnimationHold() { m_view.ReleaseAnimation(); }
        CAnimationHold(const CAnimationHold&) = delete;
        CAnimationHold& operator=(const CAnimationHold&) = delete;

    private:
        CTarnisView& m_view;
    };
    // The budget of a still frame of the view's model: what the count at opening
    // admitted for it, with a margin.
    [[nodiscard]] std::uint64_t GetStillFrameBudget() const;
    // Meters a question put to the model (a pick, the pivot's walk) that is not part of a
    // larger one: it walks what a still frame draws, so it answers whole for any model the
    // count admitted, and stops early only for the user's keys and buttons or a quit.
    // Nothing when work is being metered already: the question shares that budget. A frame
    // of the view opens its meter the same way; steered: the pointer's motion and the wheel
    // do not stop it. A question navigation asks (the point a notch or a zoom drag zooms
    // at, a drag's pivot) is not steered: the next move or notch asks again, so waiting
    // input stops it at once, and CFrameMeter::ShouldStop tells the asker to take the
    // answer at hand.
    void OpenQueryMeter(std::optional<CFrameMeter::CScope>& meter, bool steered = true);

protected:
    // The window's timer of the animation stops when a hold begins and starts again,
    // for what was left of its wait, when the last one ends; nothing here.
    virtual void OnAnimationHeld(bool /*held*/) {}
    // The model's display settings (null without a model) and where the view's camera
    // is stored.
    [[nodiscard]] virtual CRenderingOptions* GetModelRenderingOptions() const;
    virtual void StoreModelCamera(const CCamera& camera);
    // The model's drawing axes x, y and z; the standard axes without them.
    virtual void GetDrawingAxes(CVector3d axes[3]) const;

    // Shadows are displayed, faces are drawn, and the level allows them (or the level
    // is not asked).
    [[nodiscard]] bool ShadowsUsable(bool ignoreLevel) const;
    // The shadow information's north-line switch (tarnisviewshadows.cpp).
    [[nodiscard]] bool ShowsNorthLine() const;
    // Orange, from the drawing axes' origin towards the model's north.
    void DrawNorthLine();
    std::unique_ptr<ITransparencySorter> CreateTransparencySorter(int quality, int capacity,
                                                                  const CBoundingBox3d& bounds) override;
    void DrawTerminatorFace(CFace* face) override;

private:
    // Around a frame: the display override page's state goes into the model (all but
    // the camera and the display settings, which the view lends from the page), and the
    // model's own, kept in the returned page, comes back afterwards. Null without an
    // override page.
    std::unique_ptr<CViewPage> ApplyDisplayOverridePage();
    void RestoreModelDisplay(std::unique_ptr<CViewPage> saved);
    // The frame between the timer's start and stop, and what follows the timing. A
    // frame slower than levelSeconds lowers the level while the camera moves.
    void DrawFrameContents(CComponent& root);
    void FinishFrame(double levelSeconds);
    // The frame's contents under the frame meter: a frame of the view meters itself
    // within what the count admitted (a moving frame that even at its lowest level would
    // keep the user waiting also within half a second) and stops for input, a band joins
    // its picture's budget. Answers how the contents ended and the units they used.
    CViewMotion::EOutcome DrawMeteredContents(CComponent& root, bool viewFrame, CViewMotion::EFrame frame,
                                              std::uint64_t& used);
    // The units the count made at opening weighed the model at.
    [[nodiscard]] std::uint64_t GetCountedWork() const;
    // The lowest level the level rule can reach from the drawing level: in an
    // interaction, where slow frames would take it; otherwise the drawing level.
    [[nodiscard]] int GetLowestReachableLevel() const;
    // Whether the frame shows the camera the last wheel notch left.
    [[nodiscard]] bool IsNotchFrame() const;
    // How long the view must still rest after a moving frame that does not show what a
    // still frame would, before the still frame: the rest time, less what has passed since
    // the notch for a notch's frame cut for time.
    [[nodiscard]] double GetRestLeft(bool notch, CViewMotion::EOutcome outcome) const;
    // Whether the camera moves on at once after this frame: a drag or a walk, a turning
    // wheel, an animation whose next step comes within the rest time.
    [[nodiscard]] bool IsCameraMotionGoingOn() const;
    // The level of a wheel notch's frame: the drawing level, else the
    // first level down the level rule's steps that the frames measured so far say ends
    // within a moving frame's time, else the lowest.
    [[nodiscard]] int GetJumpLevel() const;
    // What the level rule keeps levels for, read from the options once for its steps.
    struct SLevelFeatures
    {
        bool seeThroughOrTransparency = false;
        bool shadows = false;
        bool textures = false;
    };
    [[nodiscard]] SLevelFeatures GetLevelFeatures() const;
    // The level rule applied once to the level after a frame of the seconds.
    [[nodiscard]] int LowerLevel(int level, double seconds, const SLevelFeatures& features) const;
    // A frame that stopped for its budget says why on the status line, and the first
    // such frame of a model on standard error; a whole frame takes the reason away.
    void ReportFrameCut(bool cut);
    // A selection walk's names, kept off the GL name stack once it is full.
    void PushSelectionName(std::uint32_t name);
    void PopSelectionName();
    void ApplyLightingMode(int mode);
    // Whether the lights of the one mode serve the other as they are.
    [[nodiscard]] static bool KeepsLights(int from, int to);
    void SetStipplePattern(std::uint16_t pattern);
    void EmitLine(const CPoint3d& start, const CPoint3d& end);
    // One line through the calls its element would make.
    void DrawPlainLine(const CPlainLine& line);
    void DrawArrowHead(const CPoint3d& tip, const CPoint3d& from);
    void DrawBoxLines(const CBoundingBox3d& box, bool cornersOnly);
    // The view font, refreshed when stale, with the file that draws its face written to
    // the profile ("ViewFont" / "FontPath"); null without a view font.
    CTwFont* GetScreenFont();
    // Draws the text through the cache with its lower-left corner at (x, y) in window
    // pixels from the bottom left, in the foreground colour, with the depth test off.
    void DrawWindowText(IGLTextImageCache& cache, double x, double y, const CString& text);
    // The transformation of an instance on the view's instance path.
    [[nodiscard]] static CTransformation GetInstanceTransform(const CEntity* instance);
    [[nodiscard]] bool MustApply(bool unchanged) const { return !unchanged || m_forceState; }
    void SaveWhenChanged(const CViewDefinition& before);
    // Zooms by the factor about the window point; a notch's zoom finds its point by
    // FindWheelPoint.
    void ZoomAt(const CPoint2d& screenPoint, double factor, bool wheel);
    // The depth along the line of sight of the model point under the window point: the
    // nearest hit, else the model's centre on the pick line; at least the near distance.
    [[nodiscard]] double GetZoomDistance(const CPoint2d& point, bool wheel);
    // The model point a notch zooms at: while the wheel turns at one window point, the
    // point found for the notch before, which each zoom about it keeps under that window
    // point; else the one FindPickLinePoint finds.
    bool FindWheelPoint(const CPoint2d& point, CPoint3d& modelPoint);
    // The nearest hit under the window point, else the model's centre moved onto the pick
    // line; false when there is no model to find. A pick the pointer's next move or the
    // wheel's next notch stops leaves the point the picture shown has there.
    bool FindPickLinePoint(const CPoint2d& point, CPoint3d& modelPoint);
    // What bounds the depth range: the model (grown when flat), else the drawing axes'
    // origin; the active tool's own extents when asked; the shadows on the ground.
    [[nodiscard]] CBoundingBox3d GatherViewBounds(bool withTool) const;
    void AddShadowExtent(CBoundingBox3d& box) const;

    CTarnwickModel* m_model = nullptr;
    CViewDefinition m_viewDefinition;
    int m_interactionMode = 0;
    int m_drawingLevel = kFullDrawingLevel;
    int m_requestedLevel = 0;
    int m_rememberedLevel = kFullDrawingLevel;
    double m_lastFrameTime = 0.0;
    double m_lastFullFrameTime = 0.0;
    double m_frameTimeSum = 0.0;
    int m_frameCount = 0;
    // Every frame measured, also those input stopped.
    int m_framesMeasured = 0;
    bool m_fastFeedback = false;
    bool m_forceState = false;
    CDisplayListMonitor m_displayListMonitor;
    std::vector<CLayer*> m_layers;
    std::vector<CMaterial*> m_materials;
    std::vector<int> m_lightingModes;
    CInstancePath m_instancePath;
    CTwFont* m_viewFont = nullptr;
    // The view-name label and the texts of DrawScreenText, each kept until it changes.
    CGLTextImageCache m_labelCache;
    CGLTextImageCache m_screenTextCache;
    // GL state cache.
    bool m_lightingOn = false;
    int m_openPrimitive = -1;
    // The open GL_LINES primitive, unless it went to GL in immediate mode; the line
    // width and stipple above are then those of the lines being added.
    CLineBatch m_lineBatch;
    // The open primitive of a pick.
    CSelectionPrimitive m_selectionPrimitive;
    CLineRecording* m_lineRecording = nullptr;
    CEdgePassCache m_edgePasses;
    // The orders the transparency sort found, and the blended pass's allowance for it.
    CTransparencyOrders m_transparencyOrders;
    CDrawThrottle m_drawThrottle;
    double m_lineWidth = 0.0;
    std::uint16_t m_stipple = 0;
    CColor m_color{0, 0, 0, 0};
    double m_lineWidthScale = 1.0;
    double m_textPixelScale = 1.0;
    int m_stateByte = 1;
    unsigned m_viewDisplayList = 0;
    double m_pixelScale = 1.0;
    CViewDefinition m_savedViewDefinition;
    bool m_autopanEnabled = true;
    CValueInputBuffer m_valueInput;
    bool m_toolFlag = false;
    IAnimation* m_animation = nullptr;
    bool m_animationPaused = false;
    double m_animationInterval = 0.0;
    // The frame of the running animation's last step was shown: it is the picture that
    // stays, and stopping the timer that ends the animation asks for no other frame.
    bool m_animationEndShown = false;
    int m_animationHolds = 0;
    // The animation whose clock the hold stopped; null when none.
    IAnimation* m_heldAnimation = nullptr;
    unsigned m_savedDepthFunction;
    unsigned m_depthFunction;
    const CColorOverrideMap* m_colorOverrides = nullptr;
    bool m_lightingSuppressed = false;
    bool m_secondPassBlending = false;
    bool m_polygonOffsetByDisabling = false;
    bool m_flatColorMode = false;
    bool m_groundRequest = false;
    bool m_projectionArgument = true;
    bool m_backgroundDetail = true;
    bool m_boundsByte = false;
    // Drawing modes and passes the frame sets for the elements.
    int m_drawMode = kDrawModeNormal;
    int m_passNumber = 1;
    bool m_textMode = false;
    bool m_drawingEverything = false;
    bool m_printing = false;
    unsigned m_compilingList = 0;
    CPickNameTable m_pickNames;
    CViewPage* m_displayOverridePage = nullptr;
    // The running autopan; the view's animation owns it.
    IAnimation* m_autopan = nullptr;
    // The components whose instances are being drawn, innermost last: an instance of
    // one of them (one that places itself) is not drawn again.
    std::vector<const CComponent*> m_drawnComponents;
    // The names a selection walk holds, and how many of them the GL name stack takes
    // (negative until the walk's first name asks); the names past it are not pushed,
    // and their elements answer by the name of the element that holds them.
    int m_selectionNames = 0;
    int m_nameRoom = -1;
    // What a selection walk changed, to restore after it.
    struct SelectionState
    {
        int drawMode = kDrawModeNormal;
        int transparencyPass = 0;
        bool posting = true;
        CTarnwickModel* currentModel = nullptr;
    };
    SelectionState m_selectionState;
    // The frame meter of a selection walk, from BeginSelection to EndSelection.
    std::optional<CFrameMeter::CScope> m_selectionMeter;
    // Standard error heard that this model's frames stop for their budget.
    bool m_cutReported = false;
    // The status line shows the reason a frame stopped, over the text it held before.
    bool m_statusSaysCut = false;
    CString m_textUnderCut;
    CViewMotion m_motion;
    // The last notch's window point and the model point it zoomed at, which hold while
    // the camera is the one the notch left; forgotten once the wheel rests.
    struct WheelPoint
    {
        CPoint2d window;
        CPoint3d model;
    };
    std::optional<WheelPoint> m_wheelPoint;
    // The camera the last notch left, until the wheel rests, and when it left it (the
    // frame timer's seconds).
    std::optional<CCamera> m_notchCamera;
    double m_notchTime = 0.0;
    // What whole frames of this model cost, which bounds the moving frames.
    CFrameCost m_frameCost;
    // The frame being drawn is cut for time and leaves the shadows out.
    bool m_shadowsLeftOut = false;
    // The drawing level of the picture the view shows.
    int m_pictureLevel = kFullDrawingLevel;
};

// 0 the zero vector, 1 to 3 the unit x, y and z axes, 4 to 6 their negations.
[[nodiscard]] const CVector3d& GetStandardAxisDirection(int index);
