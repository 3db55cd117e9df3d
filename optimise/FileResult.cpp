#include "optimise/FileResult.h"

bool CFileResult::Succeeded() const {
    return m_eOutcome == EFileOutcome::Optimised || m_eOutcome == EFileOutcome::NothingToRemove;
}

const char* OutcomeName(EFileOutcome outcome) {
    switch (outcome) {
        case EFileOutcome::Optimised:
            return "optimised";
        case EFileOutcome::NothingToRemove:
            return "nothing-to-remove";
        case EFileOutcome::Skipped:
            return "skipped";
        case EFileOutcome::CheckFailed:
            return "check-failed";
        case EFileOutcome::Failed:
            break;
    }
    return "failed";
}

const char* CheckName(ECheckKind check) {
    switch (check) {
        case ECheckKind::Pixels:
            return "pixels";
        case ECheckKind::DecodeOnly:
            return "decode";
        case ECheckKind::None:
            break;
    }
    return "none";
}
