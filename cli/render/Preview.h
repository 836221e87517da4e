#pragma once

#include "cli/render/CubeRasterizer.h"
#include "cli/render/PosedVoxels.h"
#include "formats/Picture.h"

#include <memory>
#include <string>
#include <vector>

class Animation;
struct ModelDocument;

// The pictures of `bramblewick render`: the voxels of a model in one pose, through an animation
// or turning once about the vertical axis, seen by one of a few cameras and drawn in software
// as the editor draws them.
class Preview
{
public:
    enum class View
    {
        Front, // from +Z, looking along -Z, as the editor starts
        Back,
        Left,  // from -X, the front's left hand side
        Right, // from +X
        Iso,   // from the front, the right and above, along (-1, -1, -1)
        Editor // the editor's start camera: eye (0, 15, 70), looking along -Z
    };

    // One picture of a sequence.
    struct Frame
    {
        float time = 0.0f;  // in the animation, in the file's seconds
        float angle = 0.0f; // the model's turn about the vertical axis, radians
        double start = 0.0; // when it is shown, in seconds from the loop's start
        double duration = 0.0;
    };

    // The most frames one sequence may have.
    static const size_t MOST_FRAMES = 10000;

    // The animation's length: its end time (or its last key time when the end is not after 0),
    // and how long one pass lasts at the speed the file gives (1 when that is not above 0).
    static float lengthOf(const Animation& animation);
    static double playingTimeOf(const Animation& animation);

    // One frame at `time` of the animation (or of the rest pose).
    static std::vector<Frame> still(float time);
    // One pass of the animation from 0 to its end at `fps` frames per second of playing time.
    static std::vector<Frame> loop(const Animation& animation, float fps);
    // One full turn in `steps` frames: of the rest pose (each frame 1 / fps long), or of one
    // pass of the animation played during the turn.
    static std::vector<Frame> turntable(int steps, const Animation* animation, float fps);

    // Throws std::runtime_error for a model that cannot be
    // shown (a voxel group bound to a stick that is not there).
    Preview(const ModelDocument& document, View view, int width, int height);
    ~Preview();
    Preview(const Preview&) = delete;
    Preview& operator=(const Preview&) = delete;

    // Key frames of the wrong length, which the editor does not show either, are left out of
    // `animation` (nullptr: the rest pose) and said in `warnings`.
    void setAnimation(const Animation* animation, const std::string& name,
                      std::vector<std::string>& warnings);
    // Places the camera so that every voxel of every frame is inside the picture, the same
    // camera for all (the editor's view stays where the editor puts it).
    void fit(const std::vector<Frame>& frames);

    // The voxels' shown centres in a frame, before the turn.
    std::vector<Ogre::Vector3> centres(const Frame& frame);
    // The camera of a frame: turning the model is the camera going round it the other way.
    CubeRasterizer::Camera cameraOf(const Frame& frame) const;
    Picture draw(const Frame& frame, const CubeRasterizer::Style& style);

    int width() const { return pictureWidth; }
    int height() const { return pictureHeight; }

private:
    View view;
    int pictureWidth;
    int pictureHeight;
    PosedVoxels posed;
    std::unique_ptr<Animation> animation; // the usable key frames of the chosen one, or none
    std::vector<CubeRasterizer::Cube> cubes;
    Ogre::Vector3 pivot = Ogre::Vector3::ZERO; // the turn's axis goes up through it
    float distance = 0.0f;                     // from the camera to the pivot
    Ogre::Vector2 shift = Ogre::Vector2::ZERO; // of the camera across its view (right, up)
};
