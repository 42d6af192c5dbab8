#include "annotations/annotationview.h"

namespace {

AnnotationViewSource g_source = nullptr;

}  // namespace

void SetAnnotationViewSource(AnnotationViewSource source)
{
    g_source = source;
}

ITarnisView* GetAnnotationView()
{
    return g_source != nullptr ? g_source() : nullptr;
}
