// The four screens of the game and the process-wide current one.
#pragma once

enum class GameState : int {
    Title = 0,
    Instructions = 1,
    Playing = 2,
    GameOver = 3,
};

// Written by the mouse input (screen changes) and the tile field (the end of the run).
extern GameState gameState;
