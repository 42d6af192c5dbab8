#pragma once
// Pictures of component definitions. Only the OpenGL part can draw one, and the model
// links no OpenGL: that part installs its renderer here. A definition read without a
// thumbnail waits for its picture until one is asked for, or until the model is saved:
// opening a model with thousands of them costs no more than reading them.

class CCamera;
class CComponent;
class CComponentDefinition;
class CDib;
class CTarnwickModel;

// Draws the definition's own entities from the camera fitted to them; null when it
// cannot. The caller's current OpenGL context is current again afterwards.
using DefinitionThumbnailRenderer = CDib* (*)(CTarnwickModel& model, CComponentDefinition& definition,
                                              const CCamera& camera);
// Called with true before a run of pictures and with false after it, so that the
// renderer may keep what it needs for all of them (an OpenGL context) in between.
using DefinitionThumbnailBatch = void (*)(bool begin);

// Null removes the renderer.
void SetDefinitionThumbnailRenderer(DefinitionThumbnailRenderer renderer, DefinitionThumbnailBatch batch = nullptr);
[[nodiscard]] DefinitionThumbnailRenderer GetDefinitionThumbnailRenderer();

// Renders the picture of the definition's thumbnail from the thumbnail's camera. False,
// and the thumbnail untouched, without a renderer, a thumbnail or a picture.
bool RenderDefinitionThumbnail(CTarnwickModel& model, CComponentDefinition& definition);

// The picture of the definition's thumbnail, rendered first when the definition waits
// for it and a renderer is installed; null when there is none.
[[nodiscard]] CDib* GetDefinitionPicture(CTarnwickModel& model, CComponentDefinition& definition);

// Renders every definition below the component (in its definition list and in theirs)
// that a file read left waiting for a picture, and clears the wait, picture or not.
// Without a renderer they go on waiting.
void RenderWaitingThumbnails(CTarnwickModel& model, CComponent* root);
