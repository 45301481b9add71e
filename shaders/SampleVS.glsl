#version 330 core
// Sprite vertices arrive finished, in clip space: the position passes through.
//
// Every vertex of a quad carries the quad's colour and a word that says which
// texture layer it samples (bits 0..6; 127 for none) and whether its blend
// factor is the picture's own alpha (bit 7) rather than its colour.
//
// Every position's w is 1, so interpolating the texture coordinate without
// perspective gives the same values, and spares the software rasterizer a
// division per pixel.
layout(location = 0) in vec3 inPosition;
layout(location = 1) in vec4 inColor;
layout(location = 2) in vec2 inTexCoord;
layout(location = 3) in uint inQuad;

noperspective out vec2 vTexCoord;
flat out vec4 vColor;
flat out uint vQuad;

void main() {
    gl_Position = vec4(inPosition, 1.0);
    vTexCoord = inTexCoord;
    vColor = inColor;
    vQuad = inQuad;
}
