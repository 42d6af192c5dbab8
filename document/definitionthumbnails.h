#pragma once
// Pictures of component definitions. Only the OpenGL part can draw one, and the model
// links no OpenGL: that part installs its renderer here. Without one a definition keeps
// a thumbnail without picture, and whoever shows it may render it later.

class CCamera;
class CComponent;
class CComponentDefinition;
class CDib;
class CTarnwickModel;

// Draws the definition's own entities from the camera fitted to them; null when it
// cannot. The caller's current OpenGL context is current again afterwards.
using DefinitionThumbnailRenderer = CDib* (*)(CTarnwickModel& model, CComponentDefinition& definition,
                                              const CCamera& camera);

// Null removes the renderer.
void SetDefinitionThumbnailRenderer(DefinitionThumbnailRenderer renderer);
[[nodiscard]] DefinitionThumbnailRenderer GetDefinitionThumbnailRenderer();

// Renders the picture of the definition's thumbnail from the thumbnail's camera. False,
// and the thumbnail untouched, without a renderer, a thumbnail or a picture.
bool RenderDefinitionThumbnail(CTarnwickModel& model, CComponentDefinition& definition);

// Renders every definition below the component (in its definition list and in theirs)
// that a file read left waiting for a picture, and clears the wait, picture or not.
void RenderWaitingThumbnails(CTarnwickModel& model, CComponent* root);
