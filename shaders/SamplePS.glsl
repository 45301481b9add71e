#version 330 core
// The picture of a sprite quad and its blend factor.
//
// A textured quad shows the texel as it is; the quad's colour reaches the
// screen through the blend factor. A texel whose alpha bit is 0 is not drawn at
// all, whatever the blend state. A quad without a texture shows colour 0 with
// the quad's alpha, so an overlay darkens what lies under it.
//
// The blend factor is the second output (dual-source blending): the quad's
// colour premultiplied by its alpha, or the picture's alpha for quads blended
// by source alpha, so quads of different factors share one draw.
//
// The program is also built with UNBLENDED defined, for runs drawn without
// blending: those hold only textured quads under alpha blend, whose picture
// is the texel or nothing, and need no factor.
uniform sampler2DArray pictures;

noperspective in vec2 vTexCoord;
flat in vec4 vColor;
flat in uint vQuad;

layout(location = 0, index = 0) out vec4 outPicture;
#ifndef UNBLENDED
layout(location = 0, index = 1) out vec4 outFactor;
#endif

const uint kNoTexture = 127u;
const uint kFactorIsAlpha = 128u;

void main() {
#ifdef UNBLENDED
    vec4 texel = texture(pictures, vec3(vTexCoord, float(vQuad & 127u)));
    if (texel.a == 0.0)
        discard;
    outPicture = texel;
#else
    uint layer = vQuad & 127u;
    if (layer == kNoTexture) {
        outPicture = vec4(0.0, 0.0, 0.0, vColor.a);
    } else {
        vec4 texel = texture(pictures, vec3(vTexCoord, float(layer)));
        if (texel.a == 0.0)
            discard;
        outPicture = texel;
    }
    if ((vQuad & kFactorIsAlpha) != 0u)
        outFactor = vec4(outPicture.a);
    else
        outFactor = vec4(vColor.rgb * vColor.a, vColor.a);
#endif
}
