#pragma once

#include "RgbImage.h"

// Brings a frontal portrait onto the photo square the generic head is built to. All positions are pixel
// indices, row 0 at the top.

constexpr int kFacePhotoSize = 256;

struct Point2 {
    double x = 0;
    double y = 0;
};

// The subject's right eye is the one on the left of the picture.
struct FaceLandmarks {
    Point2 rightEye;
    Point2 leftEye;
    Point2 noseTip;
    Point2 mouthCentre;
    Point2 rightLipCorner;
    Point2 leftLipCorner;
    Point2 chinBottom;
};

// Where the generic head expects the features in the 256 x 256 photo.
const FaceLandmarks& meshPhotoLandmarks();

// x' = a x - b y + tx, y' = b x + a y + ty: uniform scale, rotation and shift, nothing else, so the
// face keeps its proportions.
struct Similarity {
    double a = 1;
    double b = 0;
    double tx = 0;
    double ty = 0;

    Point2 apply(Point2 p) const;
    Similarity inverse() const;
    double scale() const;
    double angleDegrees() const;
};

// The similarity carrying s1 onto t1 and s2 onto t2; false when either pair of points coincides.
bool similarityFromPairs(Point2 s1, Point2 s2, Point2 t1, Point2 t2, Similarity& out);

// The similarity that puts the source's two pupils where the head expects them.
bool eyeAlignment(const FaceLandmarks& source, Similarity& out);

// Every pixel of the size x size result looks up its source position through the inverse transform.
RgbImage warpPicture(const RgbImage& source, const Similarity& toTarget, int size);
