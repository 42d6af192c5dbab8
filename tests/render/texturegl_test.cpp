#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "render/texturegl.h"
#include "tests/render/glcontextfixture.h"

using TextureGLTest = GLContextTest;

// A picture of one row used to become a one-dimensional texture, which faces bound as
// two-dimensional never showed.
TEST_F(TextureGLTest, APictureOfOneRowBecomesATwoDimensionalTextureOfHeightOne)
{
    CTextureGL textures;
    const std::vector<std::uint8_t> row{255, 0, 0, 255, 0, 0, 255, 255, 0, 255, 0, 255, 9, 9, 9, 255};
    const unsigned name = textures.MakeTexture(row.data(), 4, 1, 32);
    ASSERT_NE(name, 0u);
    textures.BindTexture(name);
    GLint width = 0;
    GLint height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(width, 4);
    EXPECT_EQ(height, 1);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    textures.EndMapping();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    textures.DeleteTexture(name);

    EXPECT_EQ(textures.MakeTexture(row.data(), 0, 1, 32), 0u);
    EXPECT_EQ(textures.MakeTexture(nullptr, 4, 1, 32), 0u);
    EXPECT_EQ(textures.MakeTexture(row.data(), 4, 1, 8), 0u);
}
