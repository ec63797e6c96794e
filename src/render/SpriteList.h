// Sprite lists: a PNG file loaded once into a texture, and a display list that draws it on a
// square of side 1 centred on the origin of the plane z = 0. Callers place the square with the
// modelview matrix and choose colour, blending and enables around the call.
#pragma once

// Builds the list into listId unless it is already built (0 or more). A negative textureId is
// replaced by a texture loaded from path (0 if the file cannot be loaded, which draws as an
// untextured square); a textureId of 0 or more is used as it is. Needs a current GL context.
void buildSpriteList(int& listId, int& textureId, const char* path);

// Builds the list with a texture of its own, even when another list shows the same file.
void buildOwnSpriteList(int& listId, const char* path);

// Draws a built list as a width by height rectangle centred on (x, y) of the plane z = 0, under
// the caller's colour and enables; the modelview matrix is left as it was.
void drawSpriteList(int listId, float x, float y, float width, float height);

// A batch of sprites with see-through parts: texturing, blending of the source over what is drawn,
// and an alpha test that drops fully clear texels. endSpriteBatch turns all three off again.
void beginSpriteBatch();
void endSpriteBatch();
// A batch of opaque sprites, drawn in an opaque colour: texturing alone. Blending an opaque texel
// gives exactly what writing it gives, and would read back every pixel it writes.
// endSpriteBatch ends it too.
void beginOpaqueSpriteBatch();

// Whether every texel a built list draws is opaque: its picture has no alpha channel, or it has
// no picture (an untextured square, in the caller's colour).
bool spriteListIsOpaque(int listId);

// Decodes the PNG at path into a new texture and returns its name, or 0 on any failure.
// The picture is upright on the sprite square and covers it whatever its sides.
unsigned loadPngTexture(const char* path);
