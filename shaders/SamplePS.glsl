#version 330 core
in vec4 vColor;
in vec2 vTexCoord;

out vec4 outColor;

void main() {
    outColor = vColor;
}
