#include "TestWorkspace.h"

#include "core/filetree/TreeBuilder.h"
#include "core/openfile/ClaimFileOpener.h"

#include <QFile>

TestWorkspace::TestWorkspace()
    : folder(dir.path().toStdString())
    , mapFolders{folder} {
    write("nsf0301.map", testMap());
    // No field has a format: every value is shown as stored, and no warning says the file is
    // missing.
    write("nsf0301.fmt", "# no formats\n");
}

std::string TestWorkspace::path(const std::string& name) const {
    return folder + "/" + name;
}

void TestWorkspace::write(const std::string& name, const std::string& bytes) const {
    QFile f(QString::fromStdString(path(name)));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write test file");
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

bool TestWorkspace::open(const std::string& name) {
    file.reset();
    qm::ClaimFileOpener::Opened opened =
        qm::ClaimFileOpener::open(path(name), mapFolders, layouts, sink);
    result = opened.result;
    layouts = std::move(opened.layouts);
    file = std::move(opened.file);
    return file != nullptr;
}

const qm::FileTree& TestWorkspace::buildTree() {
    file->setTree(std::make_shared<const qm::FileTree>(qm::BuildTree(file->reader())));
    return *file->tree();
}

qm::SequentialFile& TestWorkspace::reader() {
    return file->reader();
}

std::shared_ptr<qm::OpenClaimFile>
TestWorkspace::openFile(const std::string& path, const std::vector<std::string>& mapFolders) {
    qm::RecordingMessageSink sink;
    return qm::ClaimFileOpener::open(path, mapFolders, std::make_shared<qm::LayoutCatalogue>(),
                                     sink)
        .file;
}

std::string TestWorkspace::testMap() {
    return "AA0,01.0,RECORD ID,3,XR,1,3\n"
           "AA0,02.0,SUBMITTER ID,16,X,4,19\n"
           "AA0,03.0,VERSION CODE,5,X,244,248\n"
           "AA0,04.0,FILLER,72,X,249,320\n"
           "BA0,01.0,RECORD ID,3,X,1,3\n"
           "BA0,02.0,TAX ID,15,X,32,46\n"
           "BA0,03.0,FILLER,274,X,47,320\n"
           "BA1,01.0,RECORD ID,3,X,1,3\n"
           "BA1,02.0,FILLER,317,X,4,320\n"
           "CA0,01.0,RECORD ID,3,X,1,3\n"
           "CA0,02.0,PATIENT CONTROL NO,17,XR,6,22\n"
           "CA0,03.0,LAST NAME,20,X,23,42\n"
           "CA0,04.0,FIRST NAME,12,X,43,54\n"
           "CA0,05.0,BIRTH DATE,8,D,55,62\n"
           "DA0,01.0,RECORD ID,3,X,1,3\n"
           "DA0,02.0,SEQUENCE NO,2,N,4,5\n"
           "DA1,01.0,RECORD ID,3,X,1,3\n"
           "DA1,02.0,SEQUENCE NO,2,N,4,5\n"
           "DA1,14.0,PAYER AMOUNT PAID,7,N,149,155\n"
           "EA0,01.0,RECORD ID,3,X,1,3\n"
           "FA0,01.0,RECORD ID,3,X,1,3\n"
           "FA0,02.0,SEQUENCE NO,2,N,4,5\n"
           "FA0,13.0,LINE CHARGES,7,N,71,77\n"
           "FA0,27.0,DISALLOWED COST CONTAINMENT,7,N,126,132\n"
           "FA0,28.0,DISALLOWED OTHER,7,N,133,139\n"
           "FB0,01.0,RECORD ID,3,X,1,3\n"
           "FB0,02.0,SEQUENCE NO,2,N,4,5\n"
           "FB0,05.0,PURCHASED SERVICE CHARGE,7,N,40,46\n"
           "FB0,06.0,ALLOWED AMOUNT,7,N,47,53\n"
           "FB0,07.0,DEDUCTIBLE AMOUNT,7,N,54,60\n"
           "FB0,08.0,COINSURANCE AMOUNT,7,N,61,67\n"
           "HA0,01.0,RECORD ID,3,X,1,3\n"
           "HA0,02.0,SEQUENCE NO,2,N,4,5\n"
           "XA0,01.0,RECORD ID,3,X,1,3\n"
           "XA0,04.0,C COUNT,2,N,23,24\n"
           "XA0,05.0,D COUNT,2,N,25,26\n"
           "XA0,06.0,E COUNT,2,N,27,28\n"
           "XA0,07.0,F COUNT,2,N,29,30\n"
           "XA0,08.0,G COUNT,2,N,31,32\n"
           "XA0,09.0,H COUNT,2,N,33,34\n"
           "XA0,10.0,RECORD COUNT,3,N,35,37\n"
           "XA0,11.0,RESERVED,40,X,38,77\n"
           "XA0,12.0,TOTAL CHARGES,7,N,78,84\n"
           "XA0,13.0,TOTAL DISALLOWED CC,7,N,85,91\n"
           "XA0,14.0,TOTAL DISALLOWED OTHER,7,N,92,98\n"
           "XA0,15.0,TOTAL ALLOWED,7,N,99,105\n"
           "XA0,16.0,TOTAL DEDUCTIBLE,7,N,106,112\n"
           "XA0,17.0,TOTAL COINSURANCE,7,N,113,119\n"
           "XA0,18.0,TOTAL PAYER PAID,7,N,120,126\n"
           "XA0,19.0,PATIENT PAID,7,N,127,133\n"
           "XA0,20.0,TOTAL PURCHASED SERVICE,7,N,134,140\n"
           "YA0,01.0,RECORD ID,3,X,1,3\n"
           "ZA0,01.0,RECORD ID,3,X,1,3\n";
}
