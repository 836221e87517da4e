#pragma once

#include <string>
#include <vector>

struct ModelDocument;
namespace tinygltf
{
class Model;
}

// glTF 2.0 export of a model and its animations, for engines and modelling programs.
//
// One skinned mesh of the voxels' visible faces (flat normals, the voxel colours as COLOR_0, one
// material; the editor's units, Y up). A joint per stick, in the rest pose, each voxel bound
// rigidly to its stick as in the editor; unbound voxels follow the joint "root". One glTF
// animation per animation, sampled at 30 Hz and at every key time with the editor's own pose
// maths, so that at each sample a voxel's centre lies where the animate view puts it; loop,
// end, speed, spread and controls go in the animation's extras.

// Builds the glTF model. Throws std::runtime_error for a document that cannot be exported (no
// voxels; a voxel group bound to a stick that is not there). What is left out (key frames of the
// wrong length, animations of a skeleton without sticks) is said in `warnings`.
void buildGltf(const ModelDocument& document, tinygltf::Model& model,
               std::vector<std::string>& warnings);

// Builds and writes the file: binary glTF, or for a name ending in ".gltf" the JSON text with its
// buffer in a ".bin" file of the same base name beside it. Each file is replaced only when it was
// written completely. Throws std::runtime_error with a message naming the file on failure.
void exportGltf(const ModelDocument& document, const std::string& fileName,
                std::vector<std::string>& warnings);
