#include "app/platform/reasons.h"

#include <sys/stat.h>

#include <cerrno>

#include "app/texts.h"
#include "core/fs/system_error_text.h"

namespace qv {

QString SystemErrorReason(int err) {
    switch (err) {
        case ENOENT:
        case ENOTDIR:
            return texts::Q(texts::kWhyMissing);
        case EACCES:
        case EPERM:
            return texts::Q(texts::kWhyPermission);
        case ENOSPC:
            return texts::Q(texts::kWhyNoSpace);
        case EDQUOT:
            return texts::Q(texts::kWhyQuota);
        case EROFS:
            return texts::Q(texts::kWhyReadOnlyDisk);
        case ENAMETOOLONG:
            return texts::Q(texts::kWhyNameTooLong);
        case EIO:
            return texts::Q(texts::kWhyIo);
        case EFBIG:
            return texts::Q(texts::kWhyTooLarge);
        case ELOOP:
            return texts::Q(texts::kWhyLinkLoop);
        case EISDIR:
            return texts::Q(texts::kWhyFolder);
        case EBUSY:
        case ETXTBSY:
            return texts::Q(texts::kWhyBusy);
        default:
            return texts::Q(texts::kWhyOther)
                .arg(QString::fromLocal8Bit(SystemErrorText(err).c_str()));
    }
}

QString WriteFailureReason(const WriteResult& written, const std::string& path) {
    switch (written.Problem) {
        case WriteProblem::None:
            return {};
        case WriteProblem::NoName:
            return texts::Q(texts::kWhyNoName);
        case WriteProblem::ReadOnly:
            return texts::Q(texts::kWhyReadOnly);
        case WriteProblem::NotRegular: {
            struct stat st {};
            if (::stat(path.c_str(), &st) != 0)
                return errno == ELOOP ? texts::Q(texts::kWhyLinkLoop)
                                      : texts::Q(texts::kWhyNotRegular);
            if (S_ISDIR(st.st_mode)) return texts::Q(texts::kWhyFolder);
            if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return texts::Q(texts::kWhyDevice);
            if (S_ISFIFO(st.st_mode)) return texts::Q(texts::kWhyFifo);
            if (S_ISSOCK(st.st_mode)) return texts::Q(texts::kWhySocket);
            return texts::Q(texts::kWhyNotRegular);
        }
        case WriteProblem::TooLarge:
            return texts::Q(texts::kWhyTooLargeToSave);
        case WriteProblem::Incomplete:
            return texts::Q(texts::kWhyIncomplete);
        case WriteProblem::ForeignLink:
            return texts::Q(texts::kWhyForeignLink);
        case WriteProblem::Shared: {
            struct stat st {};
            const QString why = ::stat(path.c_str(), &st) == 0 && st.st_nlink > 1
                                    ? texts::Q(texts::kWhyHardLinked)
                                    : texts::Q(texts::kWhyOthersFile);
            return written.SystemError
                       ? why + QStringLiteral(" (") + SystemErrorReason(written.SystemError) +
                             QStringLiteral(")")
                       : why;
        }
        case WriteProblem::Failed:
        case WriteProblem::Unsupported:
        case WriteProblem::Unencodable:
        case WriteProblem::Cancelled:
            break;
    }
    return written.SystemError
               ? SystemErrorReason(written.SystemError)
               : texts::Q(texts::kWhyOther).arg(QString::fromStdString(written.Error));
}

QString ReadFailureReason(FileProblem problem, const std::string& otherWhy) {
    switch (problem) {
        case FileProblem::None:
            return QString::fromStdString(otherWhy);
        case FileProblem::Missing:
            return texts::Q(texts::kWhyMissing);
        case FileProblem::Permission:
            return texts::Q(texts::kWhyPermission);
        case FileProblem::Folder:
            return texts::Q(texts::kWhyFolder);
        case FileProblem::NotRegular:
            return texts::Q(texts::kWhyNotRegular);
        case FileProblem::TooLarge:
            return texts::Q(texts::kWhyTooLarge);
        case FileProblem::LinkLoop:
            return texts::Q(texts::kWhyLinkLoop);
        case FileProblem::Failed:
            break;
    }
    return texts::Q(texts::kWhyIo);
}

QString RecoveryReason(const RecoveryCandidate& candidate) {
    switch (candidate.Problem) {
        case RecoveryProblem::None:
            return {};
        case RecoveryProblem::InfoMissing:
            return texts::Q(texts::kWhyInfoMissing)
                .arg(QString::fromLocal8Bit(candidate.Entry.Info.filename().c_str()));
        case RecoveryProblem::InfoUnreadable:
            return texts::Q(texts::kWhyInfoUnreadable)
                .arg(ReadFailureReason(candidate.ReadProblem));
        case RecoveryProblem::InfoDamaged:
            return texts::Q(texts::kWhyInfoDamaged);
        case RecoveryProblem::CopyUnreadable:
            return ReadFailureReason(candidate.ReadProblem);
        case RecoveryProblem::NotFragmentFile:
            return texts::Q(texts::kWhyNotFragmentFile);
    }
    return {};
}

QString RecoveryFolderReason(const RecoveryFolderCheck& check,
                             const std::filesystem::path& folder) {
    const QString name = QString::fromLocal8Bit(folder.c_str());
    const QString system = check.SystemError ? SystemErrorReason(check.SystemError) : QString();
    switch (check.Problem) {
        case RecoveryFolderProblem::None:
            return {};
        case RecoveryFolderProblem::NoName:
            return texts::Q(texts::kWhyRecoveryFolderNoName);
        case RecoveryFolderProblem::CannotMake:
            return texts::Q(texts::kWhyRecoveryFolderCannotMake).arg(name, system);
        case RecoveryFolderProblem::Link:
            return texts::Q(texts::kWhyRecoveryFolderLink).arg(name);
        case RecoveryFolderProblem::NotFolder:
            return texts::Q(texts::kWhyRecoveryFolderNotFolder).arg(name);
        case RecoveryFolderProblem::CannotOpen:
            return texts::Q(texts::kWhyRecoveryFolderCannotOpen).arg(name, system);
        case RecoveryFolderProblem::OthersFolder:
            return texts::Q(texts::kWhyRecoveryFolderOthers).arg(name);
        case RecoveryFolderProblem::CannotNarrow:
            return texts::Q(texts::kWhyRecoveryFolderCannotNarrow).arg(name, system);
        case RecoveryFolderProblem::CannotExamine:
            return texts::Q(texts::kWhyRecoveryFolderCannotExamine).arg(name);
    }
    return {};
}

}  // namespace qv
