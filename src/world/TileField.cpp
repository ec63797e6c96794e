// The tile field's rules and drawing.
#include "world/TileField.h"

#include "audio/SoundBank.h"
#include "render/SpriteList.h"
#include "shell/GameState.h"
#include "util/Random.h"
#include "world/Fire.h"

#include <GL/gl.h>
#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Pre-heated tiles lie in columns 1 to 10 and rows 4 to 11, away from the fire's start.
std::array<int, TileField::kPreheatDraws> choosePreheatedIndices() {
    std::array<int, TileField::kPreheatDraws> indices{};
    for (int& index : indices) {
        const int column = 1 + randomInt(10);
        const int row = 4 + randomInt(8);
        index = TileField::kRows * column + row;
    }
    return indices;
}

} // namespace

void Tile::draw(const int (&stateLists)[2]) const {
    glColor4f(1.0f, 1.0f - heat_, 1.0f - heat_, 1.0f);
    drawSpriteList(stateLists[int(state_)], x_, y_, size_, size_);
}

void TileField::load() {
    for (int state = 0; state < 2; ++state) {
        buildOwnSpriteList(tileLists_[state], kPicturePaths[state]);
    }
    layOut();
}

void TileField::layOut() {
    const auto preheated = choosePreheatedIndices();
    tiles_.clear();
    tiles_.reserve(kColumns * kRows);
    for (int column = 0; column < kColumns; ++column) {
        for (int row = 0; row < kRows; ++row) {
            auto tile = std::make_unique<Tile>(kFirstCentreX + Tile::kSize * float(column),
                                               kFirstCentreY + Tile::kSize * float(row));
            const int index = int(tiles_.size());
            if (std::find(preheated.begin(), preheated.end(), index) != preheated.end()) {
                tile->setHeat(kSelfHeatingHeat);
            }
            tiles_.push_back(std::move(tile));
        }
    }
    coolingRate_ = kCoolingPerUpdate;
}

void TileField::update(float /*seconds*/) {
    // The fire's tile is looked at before anything burns this update, so the run ends in the
    // update after the one in which that tile burnt through.
    heatTileUnderFire();
    for (const auto& tile : tiles_) {
        if (tile->state() != TileState::Burnt) {
            advanceTile(*tile);
        }
    }
}

void TileField::heatTileUnderFire() {
    Tile* tile = tileAt(fire);
    if (!tile) {
        return;
    }
    if (tile->state() == TileState::Intact && tile->heat() < kSelfHeatingHeat) {
        tile->setHeat(tile->heat() + kHeatPerUpdate);
    }
    if (tile->state() == TileState::Burnt) {
        SoundBank& sound = SoundBank::instance();
        sound.stopMusic();
        sound.playEffect(SoundEffect::Blowout);
        gameState = GameState::GameOver;
    }
}

void TileField::advanceTile(Tile& tile) {
    if (tile.heat() >= kSelfHeatingHeat) {
        tile.setHeat(tile.heat() + kHeatPerUpdate);
        if (tile.heat() >= kBurnThroughHeat) {
            tile.setState(TileState::Burnt);
            tile.setHeat(0.0f);
            SoundBank::instance().playEffect(SoundEffect::Burnthrough);
        }
        return;
    }
    tile.setHeat(std::max(0.0f, tile.heat() - coolingRate_));
}

Tile* TileField::tileAt(const Entity& e) {
    for (const auto& tile : tiles_) {
        const double half = tile->size() * 0.5;
        if (tile->x() - half <= e.x() && e.x() <= tile->x() + half && tile->y() - half <= e.y() &&
            e.y() <= tile->y() + half) {
            return tile.get();
        }
    }
    return nullptr;
}

Tile* TileField::tileInCell(int column, int row) {
    const std::size_t index = std::size_t(kRows * column + row);
    if (column < 0 || column >= kColumns || row < 0 || row >= kRows || index >= tiles_.size()) {
        return nullptr;
    }
    return tiles_[index].get();
}

void TileField::coolAll() {
    for (const auto& tile : tiles_) {
        if (tile->state() == TileState::Intact) {
            tile->setHeat(std::max(0.0f, tile->heat() - kCoolAllHeat));
        }
    }
}

// Blending is left off where the pictures are opaque: it would change no pixel, and cost a read of
// each one.
void TileField::draw() const {
    picturesAreOpaque() ? beginOpaqueSpriteBatch() : beginSpriteBatch();
    for (const auto& tile : tiles_) {
        tile->draw(tileLists_);
    }
    endSpriteBatch();
}

bool TileField::picturesAreOpaque() const {
    return spriteListIsOpaque(tileLists_[0]) && spriteListIsOpaque(tileLists_[1]);
}

std::optional<PlaneRect> TileField::opaqueCover() const {
    if (tiles_.empty() || !picturesAreOpaque()) {
        return std::nullopt;
    }
    PlaneRect cover{tiles_[0]->x(), tiles_[0]->x(), tiles_[0]->y(), tiles_[0]->y()};
    double area = 0;
    for (const auto& tile : tiles_) {
        const double half = tile->size() / 2.0;
        cover.left = std::min(cover.left, tile->x() - half);
        cover.right = std::max(cover.right, tile->x() + half);
        cover.bottom = std::min(cover.bottom, tile->y() - half);
        cover.top = std::max(cover.top, tile->y() + half);
        area += double(tile->size()) * tile->size();
    }
    // The tiles lie edge to edge, so they fill the rectangle around them: no gap lets anything
    // through.
    const double around = (cover.right - cover.left) * (cover.top - cover.bottom);
    return std::abs(around - area) < 1e-6 * around ? std::optional(cover) : std::nullopt;
}
