#pragma once

class CHeadModel;

// The camera both preview renderers share: target, eye (up is always +y) and the orthographic view
// size, with the moves of the editing view. Moves read the model only for its x extent.
class RenderCamera {
public:
    static constexpr double kDefaultViewSize = 36.0;
    static constexpr double kMinViewSize = 4.0;

    double target[3] = {0, 20, 0};
    double eye[3] = {0, 20, 120};
    double viewSize = kDefaultViewSize;

    void reset();
    // Looks at the centre of the model's front from six depths away; a null or empty model gives
    // the origin seen from z = 250.
    void fitTo(const CHeadModel* model);
    void pan(const CHeadModel* model, double a, double b);
    void orbit(const CHeadModel* model, double dx, double dy);
    void zoom(const CHeadModel* model, bool perspective, double dy);
    // The rectangle in viewport pixels (y from the bottom) becomes the view; a zero-sized side
    // counts as one pixel.
    void zoomToRectangle(int viewportWidth, int viewportHeight, int left, int bottom, int width, int height);
    // Orthographic: multiplies the view size by `factor` (never below the floor) keeping the point
    // under (x, y) (viewport pixels, y from the bottom) where it is on the screen.
    void zoomAbout(int viewportWidth, int viewportHeight, double x, double y, double factor);
    void screenAxes(double right[3], double up[3]) const;
};
