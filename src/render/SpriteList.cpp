// Sprite lists and PNG textures.
#include "render/SpriteList.h"

#include "render/PicturePreloader.h"
#include "render/PngImage.h"

#include <GL/gl.h>
#include <memory>
#include <new>
#include <unordered_set>

namespace {

// The textures and lists whose every texel is opaque: a picture without an alpha channel, or
// none at all (texture 0 samples as the caller's colour). A picture with one is never counted
// opaque, even where every texel is: its edges blend with the clear border the clamp samples.
std::unordered_set<unsigned> opaqueTextures = {0};
std::unordered_set<int> opaqueLists;

// The picture as the GL takes it: sides brought to powers of two (within the largest side the GL
// takes), so that the texture works on any GL and the picture still fills the square. A
// preloaded picture comes with them already, and is used as it is; otherwise resampled holds the
// new picture.
const PngImage& fitToGl(const PngImage& picture, PngImage& resampled) {
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    if (hasTextureSides(picture, int(maxSide))) {
        return picture;
    }
    resampled = powerOfTwoImage(picture, int(maxSide));
    return resampled;
}

// Uploads the picture into the bound texture. Only level 0 is uploaded: with GL_LINEAR
// minification no other level is ever sampled, and a chain of them would cost a third more
// memory and most of the start-up.
void uploadPicture(const PngImage& image) {
    const GLenum format = image.channels == 4 ? GL_RGBA : GL_RGB;

    GLint previousAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    // Rows are packed; an RGB row of one or two texels is not a multiple of 4 bytes.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), image.width, image.height, 0, format,
                 GL_UNSIGNED_BYTE, image.pixels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
}

void compileSquare(GLuint list, int textureId) {
    glNewList(list, GL_COMPILE);
    if (textureId >= 0) {
        glBindTexture(GL_TEXTURE_2D, GLuint(textureId));
    }
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 0.0f, 1.0f);
    // The picture's first row lies at t = 0, so t = 0 goes on top to show it upright.
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(-0.5f, -0.5f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(0.5f, -0.5f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(0.5f, 0.5f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-0.5f, 0.5f);
    glEnd();
    glEndList();
}

// The picture at path, preloaded or decoded now; null when it cannot be decoded.
std::shared_ptr<const PngImage> pictureAt(const char* path) {
    std::shared_ptr<const PngImage> picture;
    if (PicturePreloader::instance().take(path, picture)) {
        return picture;
    }
    auto decoded = std::make_shared<PngImage>();
    if (!decodePngFile(path, *decoded)) {
        return nullptr;
    }
    return decoded;
}

} // namespace

unsigned loadPngTexture(const char* path) {
    PngImage resampled;
    const PngImage* image = nullptr;
    std::shared_ptr<const PngImage> picture;
    try {
        picture = pictureAt(path);
        image = picture ? &fitToGl(*picture, resampled) : nullptr;
    } catch (const std::bad_alloc&) {
        // Out of memory for a huge picture: its sprite is left blank, as for a broken file.
        image = nullptr;
    }
    if (!image) {
        return 0;
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    uploadPicture(*image);
    if (image->channels == 3) {
        opaqueTextures.insert(texture);
    }
    return texture;
}

void beginSpriteBatch() {
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);
}

void beginOpaqueSpriteBatch() {
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
}

bool spriteListIsOpaque(int listId) {
    return opaqueLists.count(listId) > 0;
}

void endSpriteBatch() {
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
}

void buildOwnSpriteList(int& listId, const char* path) {
    int textureId = -1;
    buildSpriteList(listId, textureId, path);
}

void drawSpriteList(int listId, float x, float y, float width, float height) {
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    glScalef(width, height, 1.0f);
    glCallList(GLuint(listId));
    glPopMatrix();
}

void buildSpriteList(int& listId, int& textureId, const char* path) {
    if (listId >= 0) {
        return;
    }
    if (textureId < 0) {
        textureId = int(loadPngTexture(path));
    }
    listId = int(glGenLists(1));
    compileSquare(GLuint(listId), textureId);
    if (opaqueTextures.count(unsigned(textureId)) > 0) {
        opaqueLists.insert(listId);
    }
}
