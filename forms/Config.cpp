#include "forms/Config.h"

TF_Config* F_Config = nullptr;

toolkit::TFormSpec TF_Config::Layout() {
    toolkit::TFormSpec spec;
    spec.ClassName = "TF_Config";
    spec.Caption = "Tarnwick configuration";
    spec.Border = toolkit::TBorderStyle::Dialog;
    spec.Position = toolkit::TFormPosition::ScreenCenter;
    spec.ClientWidth = 317;
    spec.ClientHeight = 365;
    return spec;
}

TF_Config::TF_Config() : TForm(nullptr, Layout()) {
    F_Config = this;
    FinishCreate();
}

TF_Config::~TF_Config() {
    if (F_Config == this)
        F_Config = nullptr;
}
