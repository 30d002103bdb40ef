#include "lsp/documentmodel.h"

namespace lsp
{

namespace
{

program::Program assembledProgram(const QString &text)
{
    program::Program program;
    program.text = text;
    QString error;
    program.assemble(error);
    return program;
}

} // namespace

DocumentModel::DocumentModel(const Document &document)
    : program(assembledProgram(document.checked().text())), assembled(program.errors.isEmpty()),
      index(program.source, document)
{
}

} // namespace lsp
