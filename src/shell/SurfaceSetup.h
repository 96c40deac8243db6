#pragma once
// The device state the scene expects: the view transform set when the display has
// been initialised, and viewport, material, projection, texture stage and render
// states set whenever the display surface has been made or re-made.

#include "platform/render/IDirect3DDevice7.h"
#include "shell/WorldHeader.h"

namespace velorina {

class TD3DScene;

// The view transform until the scene sets its own: diagonal 0.75, 1, 1, 0.
void setInitialViewTransform(IDirect3DDevice7& device);

// Viewport over the whole surface, white material, the projection the scene is
// built for, modulated texturing with the header's filters, colour keying and the
// header's antialiasing; then lets the scene rebuild its device-dependent state.
void setUpSurface(IDirect3DDevice7& device, std::uint32_t width, std::uint32_t height, const TWorldHeader& header,
                  TD3DScene* scene);

}  // namespace velorina
