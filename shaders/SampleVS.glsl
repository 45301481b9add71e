#version 330 core
// Sprite vertices arrive in clip space already; the colour and texture
// coordinates pass through.
layout(location = 0) in vec3 inPosition;
layout(location = 1) in vec4 inColor;
layout(location = 2) in vec2 inTexCoord;

out vec4 vColor;
out vec2 vTexCoord;

void main() {
    gl_Position = vec4(inPosition, 1.0);
    vColor = inColor;
    vTexCoord = inTexCoord;
}
