#pragma once
// Records every sprite request a scene submits, in order.

#include <vector>

#include "graphics/CDx_Gr.h"
#include "graphics/SpriteRequest.h"

class SpriteLog final : public CDx_Gr::SubmissionObserver {
public:
    explicit SpriteLog(CDx_Gr& graphics) : graphics_(graphics) {
        graphics_.SetSubmissionObserver(this);
    }
    ~SpriteLog() override { graphics_.SetSubmissionObserver(nullptr); }
    SpriteLog(const SpriteLog&) = delete;
    SpriteLog& operator=(const SpriteLog&) = delete;

    void OnSubmit(const SpriteRequest& request) override { requests.push_back(request); }
    void Clear() { requests.clear(); }

    std::vector<SpriteRequest> requests;

private:
    CDx_Gr& graphics_;
};
