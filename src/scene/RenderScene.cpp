#include "scene/RenderScene.h"

#include "render/IRenderer.h"
#include "scene/CameraNode.h"
#include "scene/GeomEngine.h"
#include "scene/SceneNode.h"
#include "scene/Viewer.h"

void RenderScene(SceneNode* scene, uint32_t pass, Viewer* viewer, RenderTechnique* overrideTechnique) {
    if (!scene || !viewer) return;
    CameraNode* camera = viewer->AsCamera();
    if (camera && camera->GetScene() == scene) scene->SetActiveViewer(viewer);
    scene->SetDrawingViewer(viewer);
    const Matrix& view = viewer->GetViewMatrix();
    GeomEngine* engine = scene->GetEngine() ? scene->GetEngine() : GetGeomEngine();
    if (engine) engine->SetCurrentViewMatrix(view);
    if (IRenderer* renderer = GetRenderer())
        renderer->SetProjectionMatrix(viewer->GetFrustum().GetProjectionMatrix().GetData());
    for (const auto& entry : viewer->GetVisibleNodes()) {
        Node* node = entry.second;
        if (!node->IsHidden()) node->Render(pass, view, overrideTechnique);
    }
    scene->SetDrawingViewer(nullptr);
}
