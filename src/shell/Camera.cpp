// Viewport, projection and the fixed view transform.
#include "shell/Camera.h"

#include "util/Math.h"

#include <GL/glu.h>
#include <GL/glut.h>
#include <cmath>

namespace {

constexpr double kAspect = 4.0 / 3.0;
constexpr double kNearPlane = 0.001;
constexpr double kFarPlane = 200.0;

} // namespace

WindowPixel Camera::pixelOf(double x, double y) {
    return {int(std::floor((x + 50.0) / kUnitsPerPixel)),
            int(std::floor((75.0 - y) / kUnitsPerPixel))};
}

Camera& Camera::instance() {
    static Camera* camera = new Camera();
    return *camera;
}

void Camera::reshape(int width, int height) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (width != kWindowWidth || height != kWindowHeight) {
        // The window system reports the forced size in a later reshape.
        glutReshapeWindow(kWindowWidth, kWindowHeight);
        return;
    }
    width_ = kWindowWidth;
    height_ = kWindowHeight;
    glViewport(0, 0, kWindowWidth, kWindowHeight);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfView_, kAspect, kNearPlane, kFarPlane);

    glMatrixMode(GL_MODELVIEW);
    apply();
}

void Camera::apply() const {
    glLoadIdentity();
    glTranslatef(float(offsetX_), float(offsetY_), float(offsetZ_));
}

double Camera::viewHalfHeight() const {
    return std::abs(offsetZ_) * std::tan(degToRad(float(fieldOfView_ / 2.0)));
}
