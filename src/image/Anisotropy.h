#pragma once

#include <GL/gl.h>

#include <optional>
#include <string_view>

// How far textures are filtered anisotropically on this driver.
//
// Mesa's software rasterizers switch to an elliptical weighted average as soon as a sampler's
// maximum anisotropy is above 1, whatever its degree: llvmpipe scans every texel in the bounding
// box of the pixel's footprint ellipse at the chosen level, fetching each nearest. Where the
// footprint degenerates (a large box seen from inside, faces edge-on) that box covers thousands of
// texels a pixel and one frame takes tens of seconds; and since the scan ignores the filter, a
// stage asking for nearest texels is drawn blurred. On those drivers the ceiling is 1 unless the
// user asks for more.

// Above this, llvmpipe, softpipe and swrast leave the bilinear and trilinear paths.
constexpr float softwareAnisotropyCeiling = 1.0f;

// True for GL_RENDERER strings of Mesa's software rasterizers.
bool isSoftwareRenderer(std::string_view glRenderer);

// The largest degree textures are sampled with: the user's setting where there is one (from 1 to
// the driver's maximum), else softwareAnisotropyCeiling on a software renderer, else the driver's
// maximum.
float anisotropyCeiling(std::string_view glRenderer, float driverMaximum,
                        std::optional<float> userSetting);

// The degree a texture is given for its filters: 1 where both filters are nearest (minification
// GL_NEAREST or GL_NEAREST_MIPMAP_NEAREST, magnification GL_NEAREST), so nearest texels stay
// nearest on every driver; otherwise the requested degree, no higher than the ceiling.
float filteredAnisotropy(float requested, float ceiling, GLenum minFilter, GLenum magFilter);

// The ceiling for the current context: GL_RENDERER and GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, with the
// user's setting. 1 where the driver has no anisotropic filtering.
float currentAnisotropyCeiling(std::optional<float> userSetting);
