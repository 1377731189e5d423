// The configuration window F_Config: options, hot key, translucency and start with Windows. Still
// bare (caption and size).
#pragma once

#include "toolkit/Form.h"

class TF_Config : public toolkit::TForm {
public:
    TF_Config();
    ~TF_Config() override;

private:
    static toolkit::TFormSpec Layout();
};

extern TF_Config* F_Config;
