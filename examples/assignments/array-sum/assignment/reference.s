; The teacher's solution: the sum of RAM words 0..7 into RAM word 8 and r3.
        setlo r1, 0x40        ; pointer to RAM word 0
        setlo r2, 8           ; words left
        sethi r3, 0           ; the sum
        nop
loop:   ld    r4, [r1 + 0]
        subs  r2, r2, 1
        add   r1, r1, 1
        add   r3, r3, r4
        bne   loop
        nop
        nop
        nop
        st    r3, [r1 + 0]    ; RAM[8]
halt:   bra   halt
        nop
        nop
        nop
