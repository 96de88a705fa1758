# uint32_t zx_call_measured(const void* fn, uint32_t eax, const uint32_t* args,
#                           uint32_t count, int32_t* bytesRemoved)   (cdecl)
#
# ESP is kept in EBP, which every convention the host uses preserves, so the
# caller's frame survives a callee that removes too much or too little.
        .text
        .globl  _zx_call_measured
        .def    _zx_call_measured; .scl 2; .type 32; .endef
_zx_call_measured:
        pushl   %ebp
        movl    %esp, %ebp
        pushl   %ebx
        pushl   %esi
        pushl   %edi
        # 8(%ebp) fn, 12 eax, 16 args, 20 count, 24 bytesRemoved
        movl    16(%ebp), %esi
        movl    20(%ebp), %ecx
1:      testl   %ecx, %ecx
        jz      2f
        decl    %ecx
        pushl   (%esi,%ecx,4)
        jmp     1b
2:      movl    %esp, %ebx
        movl    8(%ebp), %edx
        movl    12(%ebp), %eax
        calll   *%edx
        movl    %esp, %ecx
        subl    %ebx, %ecx
        leal    -12(%ebp), %esp
        movl    24(%ebp), %edx
        movl    %ecx, (%edx)
        popl    %edi
        popl    %esi
        popl    %ebx
        popl    %ebp
        ret
