#include "app/EvidenceStack.h"

namespace veyrune {

EvidenceStack::EvidenceStack(AsioTaskPool& queuePool, AsioTaskPool& blockingIO, const Clock& clock,
                             MainQueue& mainQueue)
    : library_(PosixFileSystem::shared(), clock),
      timers_(queuePool.pool()),
      screen_(makeScreenSource()),
      cameraDevice_(cameraOpening_),
      authorization_(videoQuery_),
      cameraQueue_(queuePool.pool(), CameraCapturer::queueLabel),
      screenshots_(
          *screen_.source, library_, clock, timers_, blockingIO,
          [&queuePool](const std::string& label) {
              return std::make_shared<AsioSerialQueue>(queuePool.pool(), label);
          },
          mainQueue),
      camera_(CameraCapturer::make(
          {cameraQueue_, mainQueue, cameraDevice_, photoAdjuster_, timers_, library_, clock})) {}

}  // namespace veyrune
