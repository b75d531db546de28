#pragma once

class Camera;
class Light;
class Scene;

// Per-render GL light switches (the scene's lit lights on, the rest of the eight off) and the
// fog colour. Called before renderScene.
void enableSceneLights(const Scene& scene);

// Draws the whole scene at scene time sceneTime through camera: background, fog, projection,
// ambient, camera view, lights, objects, flares and foreground. Issues no clear and no swap.
void renderScene(Scene& scene, float sceneTime, Camera& camera);

// Takes from the standard generator what renderScene's camera shake would, for a frame passed
// over without drawing, so that the frames drawn after it shake as in a run that drew them all.
void skipCameraShake(const Camera& camera);

// Places and colours one lit light in eye space (the camera view is current on entry).
void setupLight(Light& light, float t);
