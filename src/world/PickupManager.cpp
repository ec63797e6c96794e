// Pickup placement, collection, expiry, spawning and relocation, and pickup drawing.
#include "world/PickupManager.h"

#include "audio/SoundBank.h"
#include "render/ScoreBoard.h"
#include "render/SpriteList.h"
#include "util/Math.h"
#include "util/Random.h"
#include "world/Fire.h"
#include "world/TileField.h"

#include <GL/gl.h>
#include <algorithm>

int pickupLists[3] = {-1, -1, -1};

namespace {

bool anyIntactTile() {
    const auto& tiles = tileField.tiles();
    return std::any_of(tiles.begin(), tiles.end(),
                       [](const auto& tile) { return tile->state() == TileState::Intact; });
}

} // namespace

void PickupManager::load() {
    for (int kind = 0; kind < 3; ++kind) {
        buildOwnSpriteList(pickupLists[kind], kPicturePaths[kind]);
    }
    layOut();
}

void PickupManager::layOut() {
    pickups_.clear();
    if (auto fuel = spawnPickup()) {
        pickups_.push_back(std::move(fuel));
    }
    relocateTimer_ = kRelocateSeconds;
    spawnTimer_ = randomFloat(kMinSpawnSeconds, kMaxSpawnSeconds);
}

bool PickupManager::placeOnIntactTile(Entity& e) {
    if (!anyIntactTile()) {
        return false;
    }
    // Any intact tile will do: the one the pickup stands on, the fire's, another pickup's.
    for (;;) {
        const int column = randomInt(TileField::kColumns);
        const int row = randomInt(TileField::kRows);
        e.setX(Tile::kSize * float(column) + TileField::kFirstCentreX);
        e.setY(Tile::kSize * float(row) + TileField::kFirstCentreY);
        // Straight to the drawn cell's tile: with one intact tile left, a search over the whole
        // floor for every draw would make placement the costliest part of the frame.
        const Tile* tile = tileField.tileInCell(column, row);
        if (tile && tile->state() == TileState::Intact) {
            return true;
        }
    }
}

std::unique_ptr<Entity> PickupManager::spawnPickup() {
    auto pickup = std::make_unique<Entity>();
    pickup->setKind(int(PickupKind::Fuel));
    pickup->setSize(kPickupSize);
    if (!placeOnIntactTile(*pickup)) {
        return nullptr;
    }
    return pickup;
}

void PickupManager::removePickup(Entity* pickup) {
    const auto found = std::find_if(pickups_.begin(), pickups_.end(),
                                    [pickup](const auto& p) { return p.get() == pickup; });
    if (found != pickups_.end()) {
        pickups_.erase(found);
    }
}

void PickupManager::update(float seconds) {
    collectAndExpire(seconds);
    runSpawnClock(seconds);
    runRelocateClock(seconds);
}

void PickupManager::collectAndExpire(float seconds) {
    int fuelCollected = 0;
    // By index, reading the count afresh: removals close up the array and successors are
    // appended, so a successor is tested against the fire in this same walk.
    for (std::size_t i = 0; i < pickups_.size();) {
        Entity* pickup = pickups_[i].get();
        const bool fuel = pickup->kind() == int(PickupKind::Fuel);
        if (!fuel) {
            pickup->update(seconds);
            if (pickup->lifetime() <= 0.0f) {
                removePickup(pickup);
                continue;
            }
        }
        const double d = distance(fire.x(), fire.y(), pickup->x(), pickup->y());
        const bool inReach = fire.size() + pickup->size() > d;
        if (!inReach || (fuel && fuelCollected == kMaxFuelCollectionsPerUpdate)) {
            ++i;
            continue;
        }
        fuelCollected += fuel ? 1 : 0;
        collect(pickup);
    }
}

void PickupManager::collect(Entity* pickup) {
    SoundBank& sound = SoundBank::instance();
    switch (PickupKind(pickup->kind())) {
    case PickupKind::Fuel:
        sound.playEffect(SoundEffect::Fuel);
        ScoreBoard::instance().add(kFuelPoints);
        removePickup(pickup);
        if (auto successor = spawnPickup()) {
            pickups_.push_back(std::move(successor));
        }
        relocateTimer_ = kRelocateSeconds;
        break;
    case PickupKind::Cooldown:
        sound.playEffect(SoundEffect::Cooldown);
        tileField.coolAll();
        removePickup(pickup);
        break;
    case PickupKind::Repair:
        removePickup(pickup);
        break;
    }
}

void PickupManager::runSpawnClock(float seconds) {
    if (spawnTimer_ > 0.0f) {
        spawnTimer_ -= seconds;
        return;
    }
    if (auto cooldown = spawnPickup()) {
        cooldown->setKind(int(PickupKind::Cooldown));
        cooldown->setLifetime(kCooldownLifetime);
        pickups_.push_back(std::move(cooldown));
    }
    // Restarted at 10 or more, so a cooldown pickup is always gone before the next one comes.
    spawnTimer_ = randomFloat(kMinSpawnSeconds, kMaxSpawnSeconds);
}

void PickupManager::runRelocateClock(float seconds) {
    if (relocateTimer_ > 0.0f) {
        relocateTimer_ -= seconds;
        return;
    }
    // The front pickup is the oldest: the fuel pickup, unless fuel was collected while a
    // cooldown pickup lay on the field.
    if (!pickups_.empty()) {
        placeOnIntactTile(*pickups_.front());
    }
    relocateTimer_ = kRelocateSeconds;
}

void PickupManager::draw() const {
    beginSpriteBatch();
    for (const auto& pickup : pickups_) {
        pickup->draw();
    }
    endSpriteBatch();
}
