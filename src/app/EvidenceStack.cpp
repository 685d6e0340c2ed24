#include "app/EvidenceStack.h"

namespace veyrune {

EvidenceStack::EvidenceStack(AsioTaskPool& pool, const Clock& clock, MainQueue& mainQueue)
    : library_(PosixFileSystem::shared(), clock),
      timers_(pool.pool()),
      screen_(makeScreenSource()),
      cameraDevice_(cameraOpening_),
      authorization_(videoQuery_),
      cameraQueue_(pool.pool(), CameraCapturer::queueLabel),
      screenshots_(
          *screen_.source, library_, clock, timers_, pool,
          [&pool](const std::string& label) {
              return std::make_shared<AsioSerialQueue>(pool.pool(), label);
          },
          mainQueue),
      camera_(CameraCapturer::make(
          {cameraQueue_, mainQueue, cameraDevice_, photoAdjuster_, timers_, library_, clock})) {}

}  // namespace veyrune
