#include "toolkit/Application.h"

namespace toolkit {

TApplication* Application = nullptr;

void CreateApplication() {
  if (!Application) Application = new TApplication;
}

void DestroyApplication() {
  delete Application;
  Application = nullptr;
}

}  // namespace toolkit
