#include "render/drawingbase.h"

#include <GL/gl.h>

#include "annotations/sectionplane.h"
#include "foundation/geomfiltercombined.h"
#include "foundation/geomfilterplane.h"
#include "render/clipplanegl.h"
#include "render/polygonoffset.h"

using orvell::geometry::IGeomFilter;

namespace {

constexpr int kReservedTransforms = 4;
constexpr int kReservedFilters = 5;
// Slots of the GL model-view stack left free for what draws inside an instance (text,
// planar shadows, the frame's own pushes): GL guarantees only 32 in all.
constexpr GLint kFreeStackSlots = 8;

// How many pushes the model-view stack takes from where it stands before only the free
// slots are left.
int ModelViewStackRoom()
{
    GLint depth = 0;
    GLint maximum = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    glGetIntegerv(GL_MAX_MODELVIEW_STACK_DEPTH, &maximum);
    return maximum - kFreeStackSlots - depth;
}

}  // namespace

CDrawingBase::CDrawingBase(IClipPlaneGL* clipPlanes) : m_sectionClipStack(clipPlanes)
{
    m_transforms.reserve(kReservedTransforms);
    m_inverseTransforms.reserve(kReservedTransforms);
    m_filters.reserve(kReservedFilters);
}

CDrawingBase::CDrawingBase() : CDrawingBase(&CClipPlaneGL::Get()) {}

CDrawingBase::~CDrawingBase()
{
    for (IGeomFilter* filter : m_filters) {
        delete filter;
    }
}

void CDrawingBase::PushTransform(const CTransformation& t, bool applyToGL)
{
    const CTransformation cumulative = m_transforms.empty() ? t : m_transforms.back() * t;
    m_transforms.push_back(cumulative);
    const CTransformation inverse = cumulative.GetInverse();
    m_inverseTransforms.push_back(inverse);

    const CPoint3d modelEye = m_localEyePoints.empty() ? CPoint3d() : m_localEyePoints.front();
    CVector3d direction = m_localViewDirections.empty() ? CVector3d(0.0, 0.0, 1.0) : m_localViewDirections.front();
    inverse.TransformVector(direction);
    direction.Normalize();
    m_localEyePoints.push_back(inverse * modelEye);
    m_localViewDirections.push_back(direction);

    if (applyToGL) {
        PushGLMatrix(t);
    }
    if (!m_filters.empty()) {
        IGeomFilter* local = m_filters.back() != nullptr ? m_filters.back()->Clone() : nullptr;
        if (local != nullptr) {
            local->Transform(t.GetInverse());
        }
        m_filters.push_back(local);
    }
    m_sectionClipStack.PushTransform(t);
}

void CDrawingBase::PopTransform(bool applyToGL)
{
    if (!m_transforms.empty()) {
        m_transforms.pop_back();
        m_inverseTransforms.pop_back();
    }
    if (applyToGL) {
        PopGLMatrix();
    }
    PopFilter();
    m_sectionClipStack.PopTransform();
    if (!m_localEyePoints.empty()) {
        m_localEyePoints.pop_back();
    }
    if (!m_localViewDirections.empty()) {
        m_localViewDirections.pop_back();
    }
}

void CDrawingBase::PushGLMatrix(const CTransformation& t)
{
    double matrix[16];
    t.GetGLMatrix(matrix);
    glMatrixMode(GL_MODELVIEW);
    // GL is asked once, at the outermost level: the levels inside count themselves.
    if (m_glLevels.empty()) {
        m_glRoom = ModelViewStackRoom();
    }
    GLLevel level;
    // Past the stack the level keeps the matrix it replaces and loads the product,
    // so that nesting as deep as a model allows still draws in its place.
    level.loaded = static_cast<int>(m_glLevels.size()) >= m_glRoom;
    if (level.loaded) {
        glGetDoublev(GL_MODELVIEW_MATRIX, level.previous.data());
    } else {
        glPushMatrix();
    }
    glMultMatrixd(matrix);
    m_glLevels.push_back(level);
}

void CDrawingBase::PopGLMatrix()
{
    glMatrixMode(GL_MODELVIEW);
    if (!m_glLevels.empty() && m_glLevels.back().loaded) {
        glLoadMatrixd(m_glLevels.back().previous.data());
    } else {
        glPopMatrix();
    }
    if (!m_glLevels.empty()) {
        m_glLevels.pop_back();
    }
}

bool CDrawingBase::HasTransform() const
{
    return !m_transforms.empty();
}

CTransformation CDrawingBase::GetTransform() const
{
    return m_transforms.empty() ? CTransformation() : m_transforms.back();
}

CTransformation CDrawingBase::GetInverseTransform() const
{
    return m_inverseTransforms.empty() ? CTransformation() : m_inverseTransforms.back();
}

CPoint3d CDrawingBase::GetLocalEyePoint() const
{
    return m_localEyePoints.empty() ? CPoint3d() : m_localEyePoints.back();
}

CVector3d CDrawingBase::GetLocalViewDirection() const
{
    return m_localViewDirections.empty() ? CVector3d(0.0, 0.0, 1.0) : m_localViewDirections.back();
}

void CDrawingBase::Reset(const CPoint3d& eyePoint, const CVector3d& viewDirection)
{
    m_localEyePoints.clear();
    m_localViewDirections.clear();
    m_localEyePoints.push_back(eyePoint);
    m_localViewDirections.push_back(viewDirection);
}

IGeomFilter* CDrawingBase::GetCurrentFilter() const
{
    if (m_filters.empty()) {
        return nullptr;
    }
    // A section plane must not be culled by its own filter.
    if (m_skipTopFilter && !m_sectionClipStack.IsEmpty()) {
        return m_filters.size() > 1 ? m_filters[m_filters.size() - 2] : m_filters.front();
    }
    return m_filters.back();
}

void CDrawingBase::ClearFilters()
{
    for (IGeomFilter* filter : m_filters) {
        delete filter;
    }
    m_filters.clear();
}

void CDrawingBase::PushFilter(IGeomFilter* filter)
{
    IGeomFilter* current = GetCurrentFilter();
    if (current != nullptr && filter != nullptr) {
        m_filters.push_back(new orvell::geometry::CGeomFilterCombined(current->Clone(), filter));
    } else {
        m_filters.push_back(filter);
    }
}

void CDrawingBase::PopFilter()
{
    if (m_filters.empty()) {
        return;
    }
    delete m_filters.back();
    m_filters.pop_back();
}

void CDrawingBase::PushSectionFilter(CSectionPlane* sectionPlane, bool enable)
{
    m_sectionClipStack.PushPlane(sectionPlane, enable);
    PushFilter(new orvell::geometry::CGeomFilterAbovePlane(sectionPlane->GetPlane()));
}

void CDrawingBase::PopSectionFilter(CSectionPlane* /*sectionPlane*/)
{
    m_sectionClipStack.PopPlane(true);
    PopFilter();
}

void CDrawingBase::SetSkipTopFilter(bool skip)
{
    m_skipTopFilter = skip;
}

CSectionClipStack& CDrawingBase::GetSectionFilters()
{
    return m_sectionClipStack;
}

void CDrawingBase::PushPolygonOffset(bool enable, double factor, double units)
{
    ::PushPolygonOffset(enable, factor, units);
}

void CDrawingBase::PopPolygonOffset()
{
    ::PopPolygonOffset();
}
