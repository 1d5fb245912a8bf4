#pragma once

#include <cstdint>

class RenderTechnique;
class SceneNode;
class Viewer;

// Draws the nodes the viewer sees (ascending id, hidden ones skipped) with its projection and
// view. A camera of the scene becomes the scene's active viewer; any other viewer (a shadow map,
// a reflection view) only draws, and leaves the scene's camera where it is.
void RenderScene(SceneNode* scene, uint32_t pass, Viewer* viewer, RenderTechnique* overrideTechnique);
