#pragma once
// Replacing the main view by a new OpenGL view, so that a newly chosen pixel format takes
// effect: the new view keeps the old one's camera and takes its place only when its
// OpenGL context could be made; otherwise the old view stays.
class CSingleDocTemplate;

// True when the main view was replaced.
bool RecreateGLView(CSingleDocTemplate& docTemplate);
