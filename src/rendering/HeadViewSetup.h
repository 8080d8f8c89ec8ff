#pragma once

class CHeadModel;
class CSoftRenderer;

// How the editing view prepares a model it is given, shared by every client that must show the head
// the same way (the render command, the export's tests).
namespace headview {

// Texture coordinates of every slot-0 triangle from its corner positions, so that the square
// x in [-20, 20], y in [0, 40] covers the face photograph.
void applyFacePhotoMapping(CHeadModel& model);

// Scales the head to a height of 25, stands it on y = 5 with its back at z = 0 (the rotation centre
// 7.1 excepted), maps the photo and saves the positions as stored set 0, the fitting reference.
void normaliseModel(CHeadModel& model);

// Scales the head to a height of 25, stands it on y = 5 with its back at z = 0 (the rotation centre
// 7.1 excepted), maps the photo, saves the positions as stored set 0 and refits the camera.
void attachWithNormalise(CSoftRenderer& renderer, CHeadModel& model);

} // namespace headview
