// Start-up order, the frame and the game states.
#include "shell/GameController.h"

#include "audio/SoundBank.h"
#include "render/PicturePreloader.h"
#include "render/ScoreBoard.h"
#include "render/ScreenSet.h"
#include "shell/Camera.h"
#include "shell/GameState.h"
#include "world/Fire.h"
#include "world/PickupManager.h"
#include "world/TileField.h"
#include "world/World.h"

#include <GL/glut.h>
#include <iterator>

GameState gameState = GameState::Title;

namespace {

constexpr const char* kMusicPath = "./audio/backgroundmusic.mp3";
// The rectangle of the plane that the camera shows edge to edge.
constexpr double kViewTop = 75.0;
constexpr double kViewRight = 50.0;
constexpr double kViewBottom = 0.0;
constexpr double kViewLeft = -50.0;

} // namespace

GameController& GameController::instance() {
    static GameController* controller = new GameController();
    return *controller;
}

// The first frame is measured from the moment the controller was created.
GameController::GameController() : clock_(glutGet(GLUT_ELAPSED_TIME)) {}

void GameController::init() {
    setUpGl();
    loadImages();
    loadFont();
    loadSounds();
    gameState = GameState::Title;
}

void GameController::setUpGl() {
    glShadeModel(GL_FLAT);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glClearDepth(1.0);
    // Every sprite lies at z = 0; less-or-equal lets each later draw cover the earlier ones.
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
}

std::vector<const char*> GameController::picturePaths() {
    std::vector<const char*> paths;
    paths.reserve(std::size(ScreenSet::kPicturePaths) + std::size(Fire::kPicturePaths) +
                  std::size(TileField::kPicturePaths) + std::size(PickupManager::kPicturePaths));
    const auto append = [&paths](const auto& owned) {
        for (const char* path : owned) {
            paths.push_back(path);
        }
    };
    append(ScreenSet::kPicturePaths);
    append(Fire::kPicturePaths);
    append(TileField::kPicturePaths);
    append(PickupManager::kPicturePaths);
    return paths;
}

void GameController::loadImages() {
    ScreenSet::instance().load();
    ScreenSet::instance().setRect(kViewTop, kViewRight, kViewBottom, kViewLeft);
    fire.load();
    tileField.load();
    pickupManager.load();
    // Pictures decoded ahead of time are all uploaded now; their workers have ended.
    PicturePreloader::instance().finish();
}

void GameController::loadFont() {
    ScoreBoard::instance().init();
}

void GameController::loadSounds() {
    SoundBank::instance().init();
    SoundBank::instance().playMusic(kMusicPath);
}

void GameController::tick() {
    if (clock_.tick(glutGet(GLUT_ELAPSED_TIME))) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
}

void GameController::update(float seconds) {
    updateWorld(seconds);
}

void GameController::display() {
    // The screen this frame draws: the update below may end the run, and the final screen is
    // then drawn by the next frame.
    const GameState drawn = gameState;
    glPushMatrix();
    tick();
    if (drawn == GameState::Playing) {
        update(float(clock_.frameSeconds));
        drawPlayingFrame();
    } else {
        // Outside play the world stands still while the clock keeps ticking.
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawScreen();
    }
    glutSwapBuffers();
    glPopMatrix();
    stillShown_ = drawn != GameState::Playing;
    shownState_ = drawn;
}

bool GameController::wantsFrame() const {
    return gameState == GameState::Playing || !stillShown_ || shownState_ != gameState;
}

void GameController::drawPlayingFrame() {
    Camera::instance().apply();
    // The floor, drawn next, covers its part of the background whatever its state, when its
    // pictures are opaque: that part is left out.
    ScreenSet::instance().drawBackground(tileField.opaqueCover());
    tileField.draw();
    pickupManager.draw();
    fire.draw();
    ScoreBoard::instance().drawScore();
}

void GameController::drawScreen() {
    const ScreenSet& screens = ScreenSet::instance();
    switch (gameState) {
    case GameState::Title:
        screens.drawTitle();
        break;
    case GameState::Instructions:
        screens.drawInstructions();
        break;
    case GameState::GameOver:
        screens.drawGameOver();
        ScoreBoard::instance().drawFinalScore();
        break;
    case GameState::Playing:
        break;
    }
}
