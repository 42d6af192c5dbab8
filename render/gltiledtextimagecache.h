#pragma once
// CGLTiledTextImageCache: a text label kept at full resolution as a grid of alpha
// textures (CGLTiledImage), for labels that may be larger than one texture. Text
// entities use it.

#include "render/gltiledimage.h"
#include "render/textimagecachebase.h"

class CGLTiledTextImageCache : public CTextImageCacheBase<CGLTiledImage>
{
};
